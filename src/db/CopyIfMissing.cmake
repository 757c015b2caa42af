# cmake -DSOURCE=a -DTARGET=b -P CopyIfMissing.cmake: copies a to b unless b exists.
if(NOT EXISTS "${TARGET}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
