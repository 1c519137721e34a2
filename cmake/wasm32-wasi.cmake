# The page's WebAssembly module: Debian's clang 14 for wasm32-wasi, with wasi-libc and libc++.
# A reactor: no main; the page calls _initialize once, then the exported rules.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions")
