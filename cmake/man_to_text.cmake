# Renders the manual page INPUT as plain text into OUTPUT with GROFF: ASCII only, no overstriking or escape
# sequences, and CR LF line ends, for readers on Windows.
#     cmake -DGROFF=/usr/bin/groff -DINPUT=docs/cellisp.1 -DOUTPUT=cellisp.txt -P cmake/man_to_text.cmake
execute_process(COMMAND ${GROFF} -man -Tascii -P-cbou ${INPUT}
                OUTPUT_VARIABLE text RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "groff failed on ${INPUT}: ${errors}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
