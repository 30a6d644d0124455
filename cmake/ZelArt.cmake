# The suite's own pictures and sounds, made at build time from the sources in
# assets/art/ (see assets/art/STYLE.md):
#   zel_bitmap  an SVG rendered with rsvg-convert into a 24-bit Windows bitmap
#   zel_icon    an SVG rendered at 16, 32 and 48 pixels into one .ico
#   zel_sound   a short chime or click synthesised with sox (16-bit PCM, mono)
# Files a program loads by name go beside it in ${CMAKE_BINARY_DIR}/<Program>/;
# files a program compiles in as resources go to ${ZEL_ART_DIR}/<Program>/,
# where zel_art_finish() writes art.rc, the resource lines that name them.
# Every made file is listed in ${ZEL_ART_DIR}/manifest.txt for the checks.

find_program(ZEL_RSVG_CONVERT rsvg-convert)
# Debian's ImageMagick in /usr/bin first, before any other program of that name.
find_program(ZEL_IM_CONVERT convert PATHS /usr/bin NO_DEFAULT_PATH)
find_program(ZEL_IM_CONVERT convert)
find_program(ZEL_IM_MONTAGE montage PATHS /usr/bin NO_DEFAULT_PATH)
find_program(ZEL_IM_MONTAGE montage)
find_program(ZEL_SOX sox)
foreach(tool ZEL_RSVG_CONVERT ZEL_IM_CONVERT ZEL_IM_MONTAGE ZEL_SOX)
  if(NOT ${tool})
    message(FATAL_ERROR "${tool}: not found; scripts/setup-machine installs librsvg2-bin, imagemagick and sox")
  endif()
endforeach()

set(ZEL_ART_DIR ${CMAKE_BINARY_DIR}/art)
set(ZEL_ART_RENDER ${ZEL_ROOT}/cmake/ZelArtRender.cmake)

# Keeps one made file: its manifest line, its output and, for a resource,
# its line in the program's art.rc.
function(_zel_art_record line out)
  set_property(GLOBAL APPEND PROPERTY ZEL_ART_MANIFEST "${line}")
  set_property(GLOBAL APPEND PROPERTY ZEL_ART_OUTPUTS "${out}")
endfunction()

# Where one destination lands. A destination is either "<Program>/<File>"
# (a file the program opens by name) or "<Program>:<id>" (resource <id>).
function(_zel_art_place dest ext type out_var)
  if(dest MATCHES "^([A-Za-z]+):([0-9]+)$")
    set(program ${CMAKE_MATCH_1})
    set(id ${CMAKE_MATCH_2})
    set(out ${ZEL_ART_DIR}/${program}/${id}.${ext})
    set_property(GLOBAL APPEND PROPERTY ZEL_ART_RC_${program} "${id} ${type} \"${out}\"")
    set_property(GLOBAL APPEND PROPERTY ZEL_ART_RES_${program} "${out}")
    set_property(GLOBAL APPEND PROPERTY ZEL_ART_PROGRAMS ${program})
  elseif(dest MATCHES "^([A-Za-z]+)/([^/]+)$")
    set(out ${CMAKE_BINARY_DIR}/${dest})
  else()
    message(FATAL_ERROR "art destination '${dest}' is neither Program/File nor Program:id")
  endif()
  set(${out_var} ${out} PARENT_SCOPE)
endfunction()

# The first of several outputs is made; the commands that copy it to the rest.
function(_zel_art_copies outs first_var cmds_var)
  list(POP_FRONT outs first)
  set(cmds)
  foreach(c ${outs})
    list(APPEND cmds COMMAND ${CMAKE_COMMAND} -E copy ${first} ${c})
  endforeach()
  set(${first_var} ${first} PARENT_SCOPE)
  set(${cmds_var} ${cmds} PARENT_SCOPE)
endfunction()

# zel_bitmap(<source.svg or source.svg.in> <width> <height> KEY black|white|none
#            TO <destination>... [SET NAME=VALUE...])
#   A source ending in .in is a template: @W@ and @H@ take the size, W1/H1 and
#   W2/H2 the size less 1 and 2, CX/CY its centre, and SET adds values of the
#   caller (RX the corner radius gives RX1 = RX - 1, RXH = RX - 0.5 and
#   HLW = W - 2 RX;
#   BAR a bottom bar's height gives BAR_Y = H - BAR).
#   KEY names the colour the programs treat as transparent: the outside of
#   the shape becomes exactly that colour, with no blended edge.
function(zel_bitmap source w h)
  cmake_parse_arguments(B "" "KEY" "TO;SET" ${ARGN})
  if(NOT B_KEY MATCHES "^(black|white|none)$" OR NOT B_TO)
    message(FATAL_ERROR "zel_bitmap(${source}): KEY black|white|none and TO are required")
  endif()
  set(src ${ZEL_ROOT}/assets/art/${source})
  if(source MATCHES "\\.in$")
    set(W ${w})
    set(H ${h})
    math(EXPR W1 "${w} - 1")
    math(EXPR H1 "${h} - 1")
    math(EXPR W2 "${w} - 2")
    math(EXPR H2 "${h} - 2")
    math(EXPR CX "${w} / 2")
    math(EXPR CY "${h} / 2")
    foreach(kv ${B_SET})
      string(REGEX MATCH "^([A-Z0-9_]+)=(.*)$" _ "${kv}")
      set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
    endforeach()
    if(DEFINED RX)
      math(EXPR RX1 "${RX} - 1")
      set(RXH "${RX1}.5")
      math(EXPR HLW "${w} - 2 * ${RX}")
    endif()
    if(DEFINED BAR)
      math(EXPR BAR_Y "${h} - ${BAR}")
    endif()
    string(REGEX REPLACE "\\.svg\\.in$" "" stem "${source}")
    set(svg ${ZEL_ART_DIR}/svg/${stem}-${w}x${h}.svg)
    configure_file(${src} ${svg} @ONLY)
    file(READ ${svg} made)
    if(made MATCHES "=\"\"")
      message(FATAL_ERROR "zel_bitmap(${source}): a value of the template is not given (see ${svg})")
    endif()
  else()
    set(svg ${src})
  endif()
  set(outs)
  foreach(dest ${B_TO})
    _zel_art_place(${dest} bmp BITMAP out)
    list(APPEND outs ${out})
    file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${out})
    _zel_art_record("bitmap ${rel} ${w} ${h} ${B_KEY}" ${out})
  endforeach()
  _zel_art_copies("${outs}" first copy_cmds)
  add_custom_command(OUTPUT ${outs}
      COMMAND ${CMAKE_COMMAND} -DKIND=bitmap -DSVG=${svg} -DOUT=${first} -DW=${w} -DH=${h}
              -DKEY=${B_KEY} -DRSVG=${ZEL_RSVG_CONVERT} -DCONVERT=${ZEL_IM_CONVERT}
              -P ${ZEL_ART_RENDER}
      ${copy_cmds}
      DEPENDS ${svg} ${ZEL_ART_RENDER}
      COMMENT "art: ${source} ${w}x${h}" VERBATIM)
endfunction()

# zel_icon(<source.svg> TO <destination>...): a program icon with 16, 32 and
# 48 pixel images with their alpha.
function(zel_icon source)
  cmake_parse_arguments(I "" "" "TO" ${ARGN})
  set(svg ${ZEL_ROOT}/assets/art/${source})
  set(outs)
  foreach(dest ${I_TO})
    _zel_art_place(${dest} ico ICON out)
    list(APPEND outs ${out})
    file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${out})
    _zel_art_record("icon ${rel} 48 48 -" ${out})
  endforeach()
  _zel_art_copies("${outs}" first copy_cmds)
  add_custom_command(OUTPUT ${outs}
      COMMAND ${CMAKE_COMMAND} -DKIND=icon -DSVG=${svg} -DOUT=${first}
              -DRSVG=${ZEL_RSVG_CONVERT} -DCONVERT=${ZEL_IM_CONVERT} -P ${ZEL_ART_RENDER}
      ${copy_cmds}
      DEPENDS ${svg} ${ZEL_ART_RENDER}
      COMMENT "art: ${source} icon" VERBATIM)
endfunction()

# zel_sound(<name> NOTES "<seconds> <hertz> <fade seconds>"... PEAK <dBFS>
#           TO <destination>...)
#   Each note is a sine with its octave mixed in, decaying to silence over
#   its fade; the notes follow one another and the whole is brought to PEAK.
function(zel_sound name)
  cmake_parse_arguments(S "" "PEAK" "NOTES;TO" ${ARGN})
  if(NOT S_NOTES OR NOT S_PEAK OR NOT S_TO)
    message(FATAL_ERROR "zel_sound(${name}): NOTES, PEAK and TO are required")
  endif()
  set(outs)
  foreach(dest ${S_TO})
    _zel_art_place(${dest} wav WAVE out)
    list(APPEND outs ${out})
    file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${out})
    _zel_art_record("sound ${rel} 44100 1 -" ${out})
  endforeach()
  _zel_art_copies("${outs}" first copy_cmds)
  string(REPLACE ";" "|" notes "${S_NOTES}")
  add_custom_command(OUTPUT ${outs}
      COMMAND ${CMAKE_COMMAND} -DKIND=sound -DNOTES=${notes} -DPEAK=${S_PEAK} -DOUT=${first}
              -DSOX=${ZEL_SOX} -P ${ZEL_ART_RENDER}
      ${copy_cmds}
      DEPENDS ${ZEL_ART_RENDER} ${CMAKE_CURRENT_LIST_FILE}
      COMMENT "art: sound ${name}" VERBATIM)
endfunction()

# zel_art_finish(): the target zel_art that makes every file above, the
# manifest, and each program's art.rc with art.stamp, which is newer than
# every resource file the program compiles in.
function(zel_art_finish)
  get_property(lines GLOBAL PROPERTY ZEL_ART_MANIFEST)
  get_property(outputs GLOBAL PROPERTY ZEL_ART_OUTPUTS)
  list(JOIN lines "\n" text)
  file(CONFIGURE OUTPUT ${ZEL_ART_DIR}/manifest.txt CONTENT "${text}\n" @ONLY)
  get_property(programs GLOBAL PROPERTY ZEL_ART_PROGRAMS)
  list(REMOVE_DUPLICATES programs)
  foreach(program ${programs})
    get_property(rc GLOBAL PROPERTY ZEL_ART_RC_${program})
    list(JOIN rc "\n" text)
    file(CONFIGURE OUTPUT ${ZEL_ART_DIR}/${program}/art.rc
         CONTENT "// Made by the build from assets/art: the pictures, sounds and icons of ${program}.\n${text}\n"
         @ONLY)
    get_property(files GLOBAL PROPERTY ZEL_ART_RES_${program})
    set(stamp ${ZEL_ART_DIR}/${program}/art.stamp)
    add_custom_command(OUTPUT ${stamp} COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                       DEPENDS ${files} VERBATIM)
    list(APPEND outputs ${stamp})
  endforeach()
  add_custom_target(zel_art ALL DEPENDS ${outputs})
endfunction()

# zel_art_resources(<target> <Program>): <target>'s resource script may
# `#include "art.rc"`; the program is rebuilt when its pictures change.
function(zel_art_resources target program)
  target_include_directories(${target} PRIVATE ${ZEL_ART_DIR}/${program})
  add_dependencies(${target} zel_art)
  get_target_property(sources ${target} SOURCES)
  foreach(s ${sources})
    if(s MATCHES "\\.rc$")
      set_property(SOURCE ${s} APPEND PROPERTY OBJECT_DEPENDS ${ZEL_ART_DIR}/${program}/art.stamp)
    endif()
  endforeach()
endfunction()
