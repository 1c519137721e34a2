# cmake -DFILE=PATH -DBUDGET=BYTES -P SizeBudget.cmake: fails when the file is larger than BYTES.
file(SIZE "${FILE}" size)
if(size GREATER BUDGET)
  math(EXPR kib "${BUDGET} / 1024")
  message(FATAL_ERROR "${FILE} is ${size} bytes, over its budget of ${BUDGET} (${kib} KiB): find what grew "
                      "(a new part of the C++ runtime, say) before raising the budget in windows/CMakeLists.txt.")
endif()
