# Writes the AppStream metainfo from its template, with the release history
# from NEWS.md and, once the project has a public address for them, the
# screenshots (tests/ui/take_screenshots.sh takes them). Run at build time:
#   cmake -DTEMPLATE=... -DNEWS=NEWS.md -DOUTPUT=... -DVERSION=1.0.0.1
#         [-DSCREENSHOT_URL=https://.../screenshots] -P make_metainfo.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/news.cmake")

foreach(var TEMPLATE NEWS OUTPUT VERSION)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "make_metainfo: ${var} is not set")
    endif()
endforeach()

function(xml_text out text)
    string(REPLACE "&" "&amp;" text "${text}")
    string(REPLACE "<" "&lt;" text "${text}")
    string(REPLACE ">" "&gt;" text "${text}")
    # Markdown's code spans and emphasis read as plain words in a software centre.
    string(REGEX REPLACE "[`*]" "" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

quelvo_read_news(news "${NEWS}")
set(releases "")
set(listed FALSE)
if(news_COUNT GREATER 0)
    math(EXPR last "${news_COUNT} - 1")
    foreach(r RANGE ${last})
        if(news_${r}_VERSION STREQUAL VERSION)
            set(listed TRUE)
        endif()
        string(APPEND releases "    <release version=\"${news_${r}_VERSION}\" date=\"${news_${r}_DATE}\">\n")
        if(news_${r}_ITEMS GREATER 0)
            string(APPEND releases "      <description>\n        <ul>\n")
            math(EXPR lastItem "${news_${r}_ITEMS} - 1")
            foreach(j RANGE ${lastItem})
                xml_text(item "${news_${r}_ITEM_${j}}")
                string(APPEND releases "          <li>${item}</li>\n")
            endforeach()
            string(APPEND releases "        </ul>\n      </description>\n")
        endif()
        string(APPEND releases "    </release>\n")
    endforeach()
endif()
if(NOT listed)
    message(WARNING "NEWS.md has no dated release for version ${VERSION}: the metainfo cannot list it")
endif()

# The windows as a user sees them, named as take_screenshots.sh names them.
set(screenshots "")
if(SCREENSHOT_URL)
    set(shots
        "main_window|The main window with a dialogue, a music bed and a filler in place"
        "progress_and_version_sheet|Choosing the FCPXML version of the project"
        "preferences|The preferences: the envelope's timing and the speech threshold"
        "role_chooser|Choosing the audio role of the music clip")
    string(APPEND screenshots "  <screenshots>\n")
    set(kind " type=\"default\"")
    foreach(shot IN LISTS shots)
        string(REPLACE "|" ";" parts "${shot}")
        list(GET parts 0 file)
        list(GET parts 1 caption)
        xml_text(caption "${caption}")
        string(APPEND screenshots "    <screenshot${kind}>\n      <caption>${caption}</caption>\n"
                                  "      <image>${SCREENSHOT_URL}/${file}.png</image>\n    </screenshot>\n")
        set(kind "")
    endforeach()
    string(APPEND screenshots "  </screenshots>\n")
endif()

file(READ "${TEMPLATE}" text)
string(REPLACE "@RELEASES@\n" "${releases}" text "${text}")
string(REPLACE "@SCREENSHOTS@\n" "${screenshots}" text "${text}")
file(WRITE "${OUTPUT}.tmp" "${text}")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
