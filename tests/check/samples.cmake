# The README's rollout step on the shipped samples: `porvane-check FILE` (here with --strict, as
# the samples must draw no advice either) passes each sample settings file as it is shipped,
# beside the sample policy, and also a copy checked away from its place, as Ansible's
# `validate` checks one, with the policy's full path as the README asks.
#   cmake -DCHECKER=... [-DEMULATOR=...] -DSETTINGS=... -DPOLICY=... -DWORK=... -P samples.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/shipped ${WORK}/elsewhere)
file(COPY_FILE ${SETTINGS} ${WORK}/shipped/Porvane.ini)
file(COPY_FILE ${POLICY} ${WORK}/shipped/policy.rtf)
file(READ ${SETTINGS} _settings)
string(REGEX REPLACE "PolicyFile=[^\r\n]*" "PolicyFile=${WORK}/shipped/policy.rtf" _settings
                     "${_settings}")
file(WRITE ${WORK}/elsewhere/.ansible_tmp_Porvane.ini "${_settings}")
foreach(_file ${WORK}/shipped/Porvane.ini ${WORK}/elsewhere/.ansible_tmp_Porvane.ini)
  execute_process(COMMAND ${EMULATOR} ${CHECKER} --strict ${_file}
                  RESULT_VARIABLE _status OUTPUT_VARIABLE _out ERROR_VARIABLE _err)
  if(NOT _status EQUAL 0)
    message(FATAL_ERROR "porvane-check --strict ${_file}: exit status ${_status}\n${_out}${_err}")
  endif()
endforeach()
