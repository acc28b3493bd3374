# The version of this build, run as a script (cmake -P) at every build so that a new
# commit or an edited checkout shows at once, without configuring anew.
#
# project(VERSION) is the release ("0.1.0"). A checkout exactly at its tag (v0.1.0 or
# 0.1.0) with nothing changed is that release; any other commit adds its date and hash,
# and uncommitted changes ".dirty": "0.1.0+git20261208.abc1234.dirty". Each form is a
# valid Debian version that sorts after the release it builds on. Without git or outside
# a checkout the release stands alone.
#
# In:  VORLINK_BASE_VERSION, VORLINK_SOURCE_DIR, VORLINK_OUTPUT_DIR
#      VORLINK_CHANGELOG_IN (optional: the package's changelog, written beside as .gz)
# Out: vorlink_version.h (the programs), vorlink_version.cmake (the package); each file is
#      rewritten only when its text changed, so an unchanged build recompiles nothing.

set(version "${VORLINK_BASE_VERSION}")
set(describe "")
set(date_rfc "")
find_program(VORLINK_GIT git)
if(VORLINK_GIT AND EXISTS "${VORLINK_SOURCE_DIR}/.git")
  # Dates in UTC, whoever builds.
  set(ENV{TZ} UTC)
  execute_process(COMMAND "${VORLINK_GIT}" -C "${VORLINK_SOURCE_DIR}" describe --tags --dirty --always --abbrev=7
                  OUTPUT_VARIABLE describe OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE rc)
  if(rc EQUAL 0 AND NOT describe STREQUAL "")
    execute_process(COMMAND "${VORLINK_GIT}" -C "${VORLINK_SOURCE_DIR}" log -1 --format=%cd --date=format-local:%Y%m%d
                    OUTPUT_VARIABLE day OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND "${VORLINK_GIT}" -C "${VORLINK_SOURCE_DIR}" log -1 --format=%cd
                            "--date=format-local:%a, %d %b %Y %H:%M:%S +0000"
                    OUTPUT_VARIABLE date_rfc OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND "${VORLINK_GIT}" -C "${VORLINK_SOURCE_DIR}" rev-parse --short=7 HEAD
                    OUTPUT_VARIABLE hash OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT (describe STREQUAL "${version}" OR describe STREQUAL "v${version}") AND hash MATCHES "^[0-9a-f]+$"
       AND day MATCHES "^[0-9]+$")
      string(APPEND version "+git${day}.${hash}")
      if(describe MATCHES "-dirty$")
        string(APPEND version ".dirty")
      endif()
    endif()
  endif()
endif()
if(date_rfc STREQUAL "")
  # No commit to date the build by: the time given for reproducible builds, else now.
  string(TIMESTAMP date_rfc "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()

function(write_if_changed file text)
  if(EXISTS "${file}")
    file(READ "${file}" old)
    if(old STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE "${file}" "${text}")
endfunction()

file(MAKE_DIRECTORY "${VORLINK_OUTPUT_DIR}")
write_if_changed("${VORLINK_OUTPUT_DIR}/vorlink_version.h"
                 "// Written by cmake/VorlinkVersion.cmake at build time.\n#pragma once\n#define VORLINK_VERSION \"${version}\"\n")
write_if_changed("${VORLINK_OUTPUT_DIR}/vorlink_version.cmake" "set(VORLINK_VERSION \"${version}\")\n")

if(VORLINK_CHANGELOG_IN)
  # Debian wants it compressed with the most compression and no name or time stored.
  set(VORLINK_VERSION "${version}")
  set(VORLINK_CHANGELOG_DATE "${date_rfc}")
  configure_file("${VORLINK_CHANGELOG_IN}" "${VORLINK_OUTPUT_DIR}/changelog" @ONLY)
  if("${VORLINK_OUTPUT_DIR}/changelog" IS_NEWER_THAN "${VORLINK_OUTPUT_DIR}/changelog.gz")
    execute_process(COMMAND gzip -9nf "${VORLINK_OUTPUT_DIR}/changelog" -c
                    OUTPUT_FILE "${VORLINK_OUTPUT_DIR}/changelog.gz" RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "gzip failed on the changelog")
    endif()
  endif()
endif()
