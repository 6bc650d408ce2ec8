# Renders the program's pictures from resources/ZelkorBackup.svg (run by the
# build, see CMakeLists.txt):
#   cmake -DRSVG=rsvg-convert -DMAGICK=convert -DSVG=resources/ZelkorBackup.svg -DOUT=DIR -P cmake/icons.cmake
# into DIR:
#   ZelkorBackup.ico           the program icon, frames of 16 to 256 pixels
#   ZelkorBackup-Warnung.ico   the tray icon while a backup is not complete
#   symbol.png, symbol-warnung.png   both at 32 pixels, the tray at 200 %, for the guide
#   logo.png                   96 pixels, for the setup's welcome and finish pages
# The frames are those Windows picks for 100 % to 300 % scaling of the small
# and the large icons; the 256 one is stored PNG-compressed, the others as
# 32-bit bitmaps with their alpha (what ImageMagick writes for these sizes).
cmake_minimum_required(VERSION 3.20)
foreach(var RSVG MAGICK SVG OUT)
  if(NOT ${var})
    message(FATAL_ERROR "icons.cmake needs -D${var}=...")
  endif()
endforeach()

set(sizes 16 20 24 32 40 48 64 256)
file(READ "${SVG}" svg)
set(work "${OUT}/icon-frames")
file(MAKE_DIRECTORY "${work}")

# Writes ${work}/NAME.png of SIZE pixels, with the warning mark when MARK is
# true. A frame size with a drawing of its own (class "bild-SIZE",
# "zeichen-SIZE" in the SVG) shows that one instead of the scaled drawing.
function(render name size mark)
  set(css "")
  string(FIND "${svg}" "class=\"bild-${size}\"" at)
  if(at GREATER -1)
    string(APPEND css ".bild { display: none !important } .bild-${size} { display: inline !important }\n")
  endif()
  if(mark)
    string(FIND "${svg}" "class=\"zeichen-${size}\"" at)
    if(at GREATER -1)
      string(APPEND css ".zeichen-${size} { display: inline !important }\n")
    else()
      string(APPEND css ".zeichen { display: inline !important }\n")
    endif()
  endif()
  file(WRITE "${work}/${name}.css" "${css}")
  execute_process(
    COMMAND "${RSVG}" --width ${size} --height ${size} --stylesheet "${work}/${name}.css"
            --output "${work}/${name}.png" "${SVG}"
    RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${RSVG} could not render ${SVG} at ${size} pixels: ${err}")
  endif()
endfunction()

foreach(icon "ZelkorBackup;0" "ZelkorBackup-Warnung;1")
  list(GET icon 0 name)
  list(GET icon 1 mark)
  set(frames "")
  foreach(size IN LISTS sizes)
    render(${name}-${size} ${size} ${mark})
    list(APPEND frames "${work}/${name}-${size}.png")
  endforeach()
  # Into the work folder first: a failed run leaves no icon that a
  # later build would take as up to date. No time stamp inside, so that the
  # same drawing gives the same file.
  execute_process(
    COMMAND "${MAGICK}" ${frames} -define png:exclude-chunks=date,time "${work}/${name}.ico"
    RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${MAGICK} could not write ${name}.ico: ${err}")
  endif()
  file(RENAME "${work}/${name}.ico" "${OUT}/${name}.ico")
endforeach()

render(logo 96 FALSE)
foreach(copy "ZelkorBackup-32;symbol" "ZelkorBackup-Warnung-32;symbol-warnung" "logo;logo")
  list(GET copy 0 from)
  list(GET copy 1 to)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E copy "${work}/${from}.png" "${OUT}/${to}.png"
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not write ${OUT}/${to}.png")
  endif()
endforeach()
