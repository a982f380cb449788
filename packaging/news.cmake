# Reads the releases from NEWS.md, whose headings read
#   ## <major>.<minor>[.<patch>] (build <n>), <YYYY-MM-DD>
# newest first, each followed by its list of changes ("- " items, wrapped
# lines indented). The metainfo and the manual pages take their release
# history and dates from here, so the notes the program shows and what a
# software centre shows are one text.
#
# quelvo_read_news(<prefix> <file>) sets <prefix>_COUNT and, for each release i:
#   <prefix>_<i>_VERSION  e.g. "1.0.0.1" (the CMake project's form)
#   <prefix>_<i>_DATE     e.g. "2026-12-08"
#   <prefix>_<i>_ITEMS    how many changes; <prefix>_<i>_ITEM_<j> each one's text
# A heading without a date is not a release yet (notes being gathered) and is
# left out; scripts/check-package.sh insists that the project's own version is
# listed with its date.
function(quelvo_read_news prefix file)
    file(READ "${file}" text)
    # Keep CMake's list handling away from the text (see cli_help.cmake).
    string(REPLACE ";" "<qS>" text "${text}")
    string(REPLACE "[" "<qL>" text "${text}")
    string(REPLACE "]" "<qR>" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(count 0)
    set(release -1)
    foreach(line IN LISTS lines)
        if(line MATCHES "^## ")
            if(NOT line MATCHES "^## ([0-9]+)\\.([0-9]+)(\\.([0-9]+))? \\(build ([0-9]+)\\), ([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])$")
                # Notes gathered for a release that has not happened yet.
                message(STATUS "NEWS.md: '${line}' has no date in the form '## 1.0 (build 1), 2026-12-08'; not listed as a release")
                set(release -1)
                continue()
            endif()
            set(patch 0)
            if(CMAKE_MATCH_4)
                set(patch ${CMAKE_MATCH_4})
            endif()
            set(release ${count})
            math(EXPR count "${count} + 1")
            set(${prefix}_${release}_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${patch}.${CMAKE_MATCH_5}" PARENT_SCOPE)
            set(${prefix}_${release}_DATE "${CMAKE_MATCH_6}" PARENT_SCOPE)
            set(items_${release} 0)
        elseif(release GREATER -1 AND line MATCHES "^- (.*)$")
            set(item ${items_${release}})
            set(text_${release}_${item} "${CMAKE_MATCH_1}")
            math(EXPR items_${release} "${item} + 1")
        elseif(release GREATER -1 AND line MATCHES "^  +(.*)$" AND items_${release} GREATER 0)
            math(EXPR item "${items_${release}} - 1")
            set(text_${release}_${item} "${text_${release}_${item}} ${CMAKE_MATCH_1}")
        endif()
    endforeach()
    set(${prefix}_COUNT ${count} PARENT_SCOPE)
    if(count GREATER 0)
        math(EXPR last "${count} - 1")
        foreach(r RANGE ${last})
            set(${prefix}_${r}_ITEMS ${items_${r}} PARENT_SCOPE)
            if(items_${r} GREATER 0)
                math(EXPR lastItem "${items_${r}} - 1")
                foreach(j RANGE ${lastItem})
                    string(REPLACE "<qS>" ";" t "${text_${r}_${j}}")
                    string(REPLACE "<qL>" "[" t "${t}")
                    string(REPLACE "<qR>" "]" t "${t}")
                    set(${prefix}_${r}_ITEM_${j} "${t}" PARENT_SCOPE)
                endforeach()
            endif()
        endforeach()
    endif()
endfunction()
