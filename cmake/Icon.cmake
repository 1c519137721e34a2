# The application icon is drawn once, as art/Quillet.svg; every bitmap of it is rendered from that
# drawing at build time, by librsvg's rsvg-convert.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QUILLET_ICON_SVG ${PROJECT_SOURCE_DIR}/art/Quillet.svg)

# quillet_icon_png(<out> <size>): a rule making <out>, the icon as a <size> x <size> RGBA PNG. List
# <out> among the sources of the target that uses it, in the directory that calls this.
function(quillet_icon_png out size)
  add_custom_command(OUTPUT ${out}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${out} ${QUILLET_ICON_SVG}
    DEPENDS ${QUILLET_ICON_SVG}
    COMMENT "Rendering the icon at ${size} x ${size}"
    VERBATIM)
endfunction()

# quillet_icon_ico(<out>): a rule making <out>, the Windows icon file: one 48 x 48 image of 24 bits
# with its mask, packed from the 48-pixel PNG.
function(quillet_icon_ico out)
  get_filename_component(name ${out} NAME_WE)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/${name}-48.png)
  quillet_icon_png(${png} 48)
  add_custom_command(OUTPUT ${out}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/art/pack-ico.py ${png} ${out}
    DEPENDS ${png} ${PROJECT_SOURCE_DIR}/art/pack-ico.py
    COMMENT "Packing the Windows icon"
    VERBATIM)
endfunction()
