# cmake -DINPUT=art/X.svg -DPARTS=art/parts -DOUTPUT=X.svg -P ExpandSvg.cmake
# Copies an SVG source, replacing each <?include NAME?> processing instruction with the text of
# PARTS/NAME.svgpart, so the images share one palette and one panel frame.
file(READ "${INPUT}" text)
string(REGEX MATCHALL "<\\?include [A-Za-z0-9_-]+\\?>" includes "${text}")
list(REMOVE_DUPLICATES includes)
foreach(directive IN LISTS includes)
    string(REGEX REPLACE "<\\?include ([A-Za-z0-9_-]+)\\?>" "\\1" name "${directive}")
    if(NOT EXISTS "${PARTS}/${name}.svgpart")
        message(FATAL_ERROR "${INPUT}: no part ${PARTS}/${name}.svgpart")
    endif()
    file(READ "${PARTS}/${name}.svgpart" part)
    string(REPLACE "${directive}" "${part}" text "${text}")
endforeach()
file(WRITE "${OUTPUT}" "${text}")
