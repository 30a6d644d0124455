# Makes one picture, icon or sound of the suite (see ZelArt.cmake). The file
# appears under its final name only when it is whole.
#   cmake -DKIND=bitmap -DSVG=s -DOUT=o -DW=w -DH=h -DKEY=black|white|none -DRSVG=.. -DCONVERT=.. -P ZelArtRender.cmake
#   cmake -DKIND=icon -DSVG=s -DOUT=o -DRSVG=.. -DCONVERT=.. -P ZelArtRender.cmake
#   cmake -DKIND=sound -DNOTES="s hz fade|..." -DPEAK=dB -DOUT=o -DSOX=.. -P ZelArtRender.cmake

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_VARIABLE out)
  if(NOT rc EQUAL 0)
    file(REMOVE ${OUT}.part)
    file(REMOVE_RECURSE ${OUT}.work)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${OUT}: '${command}' failed (${rc}): ${err}${out}")
  endif()
endfunction()

get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
set(work "${OUT}.work")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}")

if(KIND STREQUAL "bitmap")
  run(${RSVG} -w ${W} -h ${H} -f png -o ${work}/a.png ${SVG})
  if(KEY STREQUAL "none")
    set(shape -background "#1B2D40" -alpha remove -alpha off)
  else()
    if(KEY STREQUAL "black")
      set(key "#000000")
      set(near "#010101")
    else()
      set(key "#FFFFFF")
      set(near "#FEFEFE")
    endif()
    # No drawn pixel may equal the key (it would be a hole); every pixel is
    # either wholly inside the shape or wholly outside, so no blended edge
    # is left that reads as a dark (or light) fringe.
    set(shape -fill ${near} -opaque ${key} -channel A -threshold 50% +channel
              -background ${key} -alpha remove -alpha off)
  endif()
  run(${CONVERT} ${work}/a.png ${shape} -type TrueColor BMP3:${OUT}.part)
elseif(KIND STREQUAL "icon")
  set(pngs)
  foreach(size 16 32 48)
    run(${RSVG} -w ${size} -h ${size} -f png -o ${work}/i${size}.png ${SVG})
    list(APPEND pngs ${work}/i${size}.png)
  endforeach()
  run(${CONVERT} ${pngs} ICO:${OUT}.part)
elseif(KIND STREQUAL "sound")
  string(REPLACE "|" ";" notes "${NOTES}")
  set(parts)
  set(i 0)
  foreach(note ${notes})
    separate_arguments(n UNIX_COMMAND "${note}")
    list(GET n 0 seconds)
    list(GET n 1 hertz)
    list(GET n 2 fade)
    math(EXPR octave "${hertz} * 2")
    math(EXPR i "${i} + 1")
    run(${SOX} -R -n -r 44100 -b 16 -c 1 -e signed-integer ${work}/n${i}.wav
        synth ${seconds} sine ${hertz} sine mix ${octave} fade p 0.002 ${seconds} ${fade})
    list(APPEND parts ${work}/n${i}.wav)
  endforeach()
  run(${SOX} ${parts} -t wav ${OUT}.part gain -n ${PEAK})
else()
  message(FATAL_ERROR "unknown KIND '${KIND}'")
endif()

file(REMOVE_RECURSE "${work}")
file(RENAME "${OUT}.part" "${OUT}")
