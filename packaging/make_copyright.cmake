# Writes the package's copyright notice with FFmpeg's licence as the linked
# libavcodec states it (`quelvo-cli --version` prints what avcodec_license()
# says): a distribution's FFmpeg may be built with or without GPL parts, and
# the notice must say which one this package runs with. Run at build time:
#   cmake -DPROGRAM=bin/quelvo-cli -DTEMPLATE=copyright.in -DOUTPUT=copyright -P make_copyright.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var PROGRAM TEMPLATE OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "make_copyright: ${var} is not set")
    endif()
endforeach()

execute_process(COMMAND "${PROGRAM}" --version OUTPUT_VARIABLE version RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT version MATCHES "\nFFmpeg ([^ ]+) [^\n]*, licensed under the ([^\n]+)")
    message(FATAL_ERROR "${PROGRAM} --version does not state FFmpeg's licence: ${version}")
endif()
set(FFMPEG_VERSION "${CMAKE_MATCH_1}")
set(FFMPEG_LICENSE "${CMAKE_MATCH_2}")

# The SPDX name and Debian's common licence file for what libavcodec says.
if(FFMPEG_LICENSE MATCHES "^LGPL version 2\\.1 or later")
    set(FFMPEG_LICENSE_ID "LGPL-2.1-or-later")
    set(FFMPEG_LICENSE_FILE "LGPL-2.1")
elseif(FFMPEG_LICENSE MATCHES "^LGPL version 3 or later")
    set(FFMPEG_LICENSE_ID "LGPL-3.0-or-later")
    set(FFMPEG_LICENSE_FILE "LGPL-3")
elseif(FFMPEG_LICENSE MATCHES "^GPL version 2 or later")
    set(FFMPEG_LICENSE_ID "GPL-2.0-or-later")
    set(FFMPEG_LICENSE_FILE "GPL-2")
elseif(FFMPEG_LICENSE MATCHES "^GPL version 3 or later")
    set(FFMPEG_LICENSE_ID "GPL-3.0-or-later")
    set(FFMPEG_LICENSE_FILE "GPL-3")
else()
    # "nonfree and unredistributable": such a build must not be packaged.
    message(FATAL_ERROR "FFmpeg reports the licence '${FFMPEG_LICENSE}', which this package cannot carry")
endif()

configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
