# Writes the bash and zsh completions of quelvo-cli from its own --help texts
# (the commands, their options and what each option takes) and value-kinds.txt
# (which kind of file an argument wants). A new option appears in the
# completions with the next build. Run at build time:
#   cmake -DPROGRAM=bin/quelvo-cli -DKINDS=value-kinds.txt -DBASH=quelvo-cli.bash
#         -DZSH=_quelvo-cli -P make_completions.cmake
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/../cli_help.cmake")

foreach(var PROGRAM KINDS BASH ZSH)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "make_completions: ${var} is not set")
    endif()
endforeach()

# The file name extensions of each kind, matched without regard to case.
set(ext_audio wav wave mp3 m4a aif aiff)
set(ext_video mov mp4 m4v)
set(ext_srt srt)
set(ext_json json)
set(ext_fcpxml fcpxml)

file(STRINGS "${KINDS}" kind_lines REGEX "^[^#]")
foreach(line IN LISTS kind_lines)
    if(line MATCHES "^([a-z-]+) +([A-Za-z-]+) +([a-z]+) *$")
        set(kind_${CMAKE_MATCH_1}_${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
    endif()
endforeach()

# What the value of <name> in <command> is: a kind, "choices:<a b>", "none" or "file".
function(value_of out command name type)
    if(DEFINED kind_${command}_${name})
        set(${out} "${kind_${command}_${name}}" PARENT_SCOPE)
    elseif(type MATCHES ":\\{(.*)\\}")
        string(REPLACE "," " " choices "${CMAKE_MATCH_1}")
        set(${out} "choices:${choices}" PARENT_SCOPE)
    elseif(type MATCHES "^(INT|FLOAT|UINT|NUMBER)")
        set(${out} "none" PARENT_SCOPE)
    else()
        set(${out} "file" PARENT_SCOPE)
    endif()
endfunction()

# bash: an extglob pattern of both cases, e.g. "@(wav|WAV|mp3|MP3)".
function(bash_pattern out kind)
    set(alts "")
    foreach(ext IN LISTS ext_${kind})
        string(TOUPPER "${ext}" upper)
        list(APPEND alts "${ext}" "${upper}")
    endforeach()
    list(JOIN alts "|" alts)
    set(${out} "@(${alts})" PARENT_SCOPE)
endfunction()

# bash: the statement that offers a value of this kind.
function(bash_offer out value)
    if(value STREQUAL "none")
        set(${out} "return 0" PARENT_SCOPE)
    elseif(value MATCHES "^choices:(.*)$")
        set(${out} "COMPREPLY=(\$(compgen -W '${CMAKE_MATCH_1}' -- \"\$cur\")); return 0" PARENT_SCOPE)
    elseif(value STREQUAL "file")
        set(${out} "_quelvo_cli_files ''; return 0" PARENT_SCOPE)
    else()
        bash_pattern(pattern ${value})
        set(${out} "_quelvo_cli_files '${pattern}'; return 0" PARENT_SCOPE)
    endif()
endfunction()

# zsh: the action for a value of this kind.
function(zsh_action out value)
    if(value STREQUAL "none")
        set(${out} " " PARENT_SCOPE)
    elseif(value MATCHES "^choices:(.*)$")
        set(${out} "(${CMAKE_MATCH_1})" PARENT_SCOPE)
    elseif(value STREQUAL "file")
        set(${out} "_files" PARENT_SCOPE)
    else()
        list(JOIN ext_${value} "|" alts)
        set(${out} "_files -g \"*.(#i)(${alts})(-.)\"" PARENT_SCOPE)
    endif()
endfunction()

# zsh: text inside '...' and inside an option's [description] (where the
# closing bracket ends it, so colons may stay).
function(zsh_text out text)
    quelvo_help_decode(text "${text}")
    string(REPLACE "'" "'\\''" text "${text}")
    string(REPLACE "[" "\\[" text "${text}")
    string(REPLACE "]" "\\]" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

quelvo_read_help(main "${PROGRAM}")
set(commands "")
set(command_descs "")
math(EXPR last "${main_Subcommands_COUNT} - 1")
foreach(i RANGE ${last})
    list(APPEND commands "${main_Subcommands_${i}_NAMES}")
    set(desc_${main_Subcommands_${i}_NAMES} "${main_Subcommands_${i}_DESC}")
endforeach()
set(main_options "")
math(EXPR last "${main_Options_COUNT} - 1")
foreach(i RANGE ${last})
    list(APPEND main_options ${main_Options_${i}_NAMES})
endforeach()
list(JOIN commands " " command_words)
list(JOIN main_options " " main_option_words)

# ---- bash
set(bash [=[# bash completion for quelvo-cli. Made at build time from `quelvo-cli --help`
# (packaging/completions/make_completions.cmake); do not edit.

# Offers folders and the files whose names match an extglob pattern ('' for all).
_quelvo_cli_files() {
    local IFS=$'\n' had_extglob=0
    shopt -q extglob && had_extglob=1
    shopt -s extglob
    COMPREPLY=($(compgen -d -- "$cur"))
    if [[ -n $1 ]]; then
        COMPREPLY+=($(compgen -f -X "!*.$1" -- "$cur"))
    else
        COMPREPLY+=($(compgen -f -- "$cur"))
    fi
    ((had_extglob)) || shopt -u extglob
}

_quelvo_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            @COMMAND_ALTERNATIVES@) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W '@COMMANDS@ @MAIN_OPTIONS@' -- "$cur"))
        return 0
    fi
    case $command in
]=])
list(JOIN commands "|" alternatives)
string(REPLACE "@COMMAND_ALTERNATIVES@" "${alternatives}" bash "${bash}")
string(REPLACE "@COMMANDS@" "${command_words}" bash "${bash}")
string(REPLACE "@MAIN_OPTIONS@" "${main_option_words}" bash "${bash}")

# ---- zsh
set(zsh "#compdef quelvo-cli\n# zsh completion for quelvo-cli. Made at build time from `quelvo-cli --help`\n")
string(APPEND zsh "# (packaging/completions/make_completions.cmake); do not edit.\n\n")
string(APPEND zsh "_quelvo_cli() {\n    local curcontext=\"\$curcontext\" state line ret=1\n")
string(APPEND zsh "    _arguments -C \\\n")
math(EXPR last "${main_Options_COUNT} - 1")
foreach(i RANGE ${last})
    zsh_text(desc "${main_Options_${i}_DESC}")
    list(JOIN main_Options_${i}_NAMES "," names)
    if(names MATCHES ",")
        string(APPEND zsh "        '(- *)'{${names}}'[${desc}]' \\\n")
    else()
        string(APPEND zsh "        '(- *)${names}[${desc}]' \\\n")
    endif()
endforeach()
string(APPEND zsh "        '1: :->command' \\\n        '*:: :->argument' && ret=0\n")
string(APPEND zsh "    case \$state in\n        command)\n            local -a commands=(\n")
foreach(command IN LISTS commands)
    zsh_text(desc "${desc_${command}}")
    string(APPEND zsh "                '${command}:${desc}'\n")
endforeach()
string(APPEND zsh "            )\n            _describe -t commands 'quelvo-cli command' commands && ret=0\n            ;;\n")
string(APPEND zsh "        argument)\n            curcontext=\${curcontext%:*:*}:quelvo-cli-\$words[1]:\n")
string(APPEND zsh "            case \$words[1] in\n")

foreach(command IN LISTS commands)
    quelvo_read_help(sub_${command} "${PROGRAM}" ${command})
    set(options "")
    set(cases "")
    set(positional_offer "return 0")
    string(APPEND zsh "                ${command})\n                    _arguments \\\n")
    foreach(section Options Positionals)
        if(NOT DEFINED sub_${command}_${section}_COUNT OR sub_${command}_${section}_COUNT EQUAL 0)
            continue()
        endif()
        math(EXPR last "${sub_${command}_${section}_COUNT} - 1")
        foreach(i RANGE ${last})
            set(names "${sub_${command}_${section}_${i}_NAMES}")
            set(type "${sub_${command}_${section}_${i}_TYPE}")
            zsh_text(desc "${sub_${command}_${section}_${i}_DESC}")
            if(section STREQUAL "Positionals")
                value_of(value ${command} "${names}" "${type}")
                bash_offer(positional_offer "${value}")
                zsh_action(action "${value}")
                string(APPEND zsh "                        ':${names}:${action}' \\\n")
                continue()
            endif()
            list(APPEND options ${names})
            list(JOIN names "," joined)
            if(joined MATCHES ",")
                set(zarg "'(${names})'{${joined}}'[${desc}]")
                string(REPLACE ";" " " zarg "${zarg}")
            else()
                set(zarg "'${joined}[${desc}]")
            endif()
            if(names STREQUAL "-h;--help")
                set(zarg "'(- *)'{${joined}}'[${desc}]")
            endif()
            if(type STREQUAL "")
                string(APPEND zsh "                        ${zarg}' \\\n")
            else()
                list(GET names -1 longest)
                value_of(value ${command} "${longest}" "${type}")
                zsh_action(action "${value}")
                string(REGEX REPLACE "[ :].*$" "" word "${type}")
                string(APPEND zsh "                        ${zarg}:${word}:${action}' \\\n")
                bash_offer(offer "${value}")
                list(JOIN names "|" alts)
                string(APPEND cases "            ${alts}) ${offer} ;;\n")
            endif()
        endforeach()
    endforeach()
    string(APPEND zsh "                        && ret=0\n                    ;;\n")
    list(JOIN options " " option_words)
    string(APPEND bash "    ${command})\n        case \$prev in\n${cases}        esac\n")
    string(APPEND bash "        if [[ \$cur == -* ]]; then\n")
    string(APPEND bash "            COMPREPLY=(\$(compgen -W '${option_words}' -- \"\$cur\"))\n            return 0\n        fi\n")
    string(APPEND bash "        ${positional_offer}\n        ;;\n")
endforeach()

string(APPEND bash "    esac\n}\n\ncomplete -o filenames -F _quelvo_cli quelvo-cli\n")
string(APPEND zsh "            esac\n            ;;\n    esac\n    return ret\n}\n\n_quelvo_cli \"\$@\"\n")

foreach(pair "BASH;bash" "ZSH;zsh")
    list(GET pair 0 var)
    list(GET pair 1 text)
    quelvo_help_decode(out "${${text}}")
    file(WRITE "${${var}}.tmp" "${out}")
    file(RENAME "${${var}}.tmp" "${${var}}")
endforeach()
