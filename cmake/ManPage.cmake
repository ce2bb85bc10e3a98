# cmake -DPROGRAM=... -DNAME=... -DDESCRIPTION=... -DVERSION=... -DHELP2MAN=... -DOUTPUT=...
#       -DLIBRARY_PATH=... -P ManPage.cmake
#
# Writes the man page of PROGRAM with help2man from the program's own --help and --version. A
# program that does not answer --version with "NAME VERSION" gets the project's VERSION
# instead, so its page is still made from its --help.
set(ENV{LD_LIBRARY_PATH} "${LIBRARY_PATH}")
execute_process(COMMAND ${PROGRAM} --version
  RESULT_VARIABLE status OUTPUT_VARIABLE answer ERROR_QUIET TIMEOUT 30)
set(version_option --version-option=--version)
if(NOT status EQUAL 0 OR NOT answer MATCHES "^${NAME} ")
  set(version_option "--version-string=${NAME} ${VERSION}")
endif()
execute_process(
  COMMAND ${HELP2MAN} --no-info --no-discard-stderr --help-option=--help ${version_option}
          "--name=${DESCRIPTION}" --section=1 --output=${OUTPUT} ${PROGRAM}
  RESULT_VARIABLE status TIMEOUT 60)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man could not make the man page of ${PROGRAM}")
endif()
