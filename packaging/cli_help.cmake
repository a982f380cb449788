# Reads a program's --help text (CLI11's layout) into variables, so that the
# manual pages and the shell completions are made from what the program itself
# says and cannot drift from it. Included by the generator scripts, which run
# in script mode (cmake -P) at build time.
#
# quelvo_read_help(<prefix> <program> [args...]) runs `<program> [args...] --help`
# with an empty settings folder (the defaults it prints must not be the
# builder's own settings) and sets, in the caller's scope:
#   <prefix>_DESCRIPTION   the text above "Usage:"
#   <prefix>_USAGE         what follows "Usage: <program path>", e.g. "[OPTIONS] FILE"
#   <prefix>_SECTIONS      the section names ("Positionals", "Options", "Subcommands")
#   <prefix>_<section>_COUNT                      entries in that section
#   <prefix>_<section>_<i>_NAMES                  e.g. "-h;--help", "FILE", "duck"
#   <prefix>_<section>_<i>_TYPE                   e.g. "TEXT REQUIRED", "TEXT:{1.9,1.6}", ""
#   <prefix>_<section>_<i>_DESC                   the description, wrapped lines joined
# Texts are encoded so that CMake's list handling leaves them alone; pass them
# through quelvo_help_decode before writing them out.

if(NOT DEFINED QUELVO_HELP_CONFIG_DIR)
    set(QUELVO_HELP_CONFIG_DIR "${CMAKE_CURRENT_BINARY_DIR}/help-settings")
endif()

# ";" "[" and "]" would split or group CMake list items.
function(quelvo_help_encode out text)
    string(REPLACE ";" "<qS>" text "${text}")
    string(REPLACE "[" "<qL>" text "${text}")
    string(REPLACE "]" "<qR>" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(quelvo_help_decode out text)
    string(REPLACE "<qS>" ";" text "${text}")
    string(REPLACE "<qL>" "[" text "${text}")
    string(REPLACE "<qR>" "]" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(quelvo_read_help prefix program)
    file(MAKE_DIRECTORY "${QUELVO_HELP_CONFIG_DIR}")
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env "QUELVO_CONFIG_DIR=${QUELVO_HELP_CONFIG_DIR}" "QT_QPA_PLATFORM=offscreen"
                "${program}" ${ARGN} --help
        OUTPUT_VARIABLE help
        ERROR_VARIABLE errors
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${program} ${ARGN} --help failed (${status}): ${errors}")
    endif()
    quelvo_help_encode(help "${help}")
    string(REPLACE "\n" ";" lines "${help}")

    set(description "")
    set(usage "")
    set(sections "")
    set(section "")
    set(count 0)
    foreach(line IN LISTS lines)
        if(line MATCHES "^Usage: [^ ]+ ?(.*)$")
            set(usage "${CMAKE_MATCH_1}")
        elseif(line MATCHES "^([A-Za-z]+):$")
            if(section)
                set(${prefix}_${section}_COUNT ${count} PARENT_SCOPE)
            endif()
            set(section "${CMAKE_MATCH_1}")
            list(APPEND sections "${section}")
            set(count 0)
        elseif(section AND line MATCHES "^      +(.*)$")
            # A description wrapped onto the next line.
            string(STRIP "${CMAKE_MATCH_1}" more)
            if(count GREATER 0)
                math(EXPR last "${count} - 1")
                string(STRIP "${desc_${last}} ${more}" desc_${last})
                set(${prefix}_${section}_${last}_DESC "${desc_${last}}" PARENT_SCOPE)
            endif()
        elseif(section AND line MATCHES "^  ([^ ].*)$")
            set(entry "${CMAKE_MATCH_1}")
            # The name and type are separated from the description by two or more blanks.
            string(FIND "${entry}" "  " gap)
            if(gap EQUAL -1)
                set(head "${entry}")
                set(desc "")
            else()
                string(SUBSTRING "${entry}" 0 ${gap} head)
                string(SUBSTRING "${entry}" ${gap} -1 desc)
                string(STRIP "${desc}" desc)
            endif()
            string(FIND "${head}" " " space)
            if(space EQUAL -1)
                set(names "${head}")
                set(type "")
            else()
                string(SUBSTRING "${head}" 0 ${space} names)
                math(EXPR after "${space} + 1")
                string(SUBSTRING "${head}" ${after} -1 type)
            endif()
            string(REPLACE "," ";" names "${names}")
            set(desc_${count} "${desc}")
            set(${prefix}_${section}_${count}_NAMES "${names}" PARENT_SCOPE)
            set(${prefix}_${section}_${count}_TYPE "${type}" PARENT_SCOPE)
            set(${prefix}_${section}_${count}_DESC "${desc}" PARENT_SCOPE)
            math(EXPR count "${count} + 1")
        elseif(NOT section AND NOT usage AND NOT line STREQUAL "")
            string(STRIP "${description} ${line}" description)
        endif()
    endforeach()
    if(section)
        set(${prefix}_${section}_COUNT ${count} PARENT_SCOPE)
    endif()
    set(${prefix}_DESCRIPTION "${description}" PARENT_SCOPE)
    set(${prefix}_USAGE "${usage}" PARENT_SCOPE)
    set(${prefix}_SECTIONS "${sections}" PARENT_SCOPE)
endfunction()
