# Writes the offline worker (web/page/offline.js) into the site with the
# site's files in its list: `const FILES = [];` becomes the list of the names
# in FILES, one a line.
#   cmake -DWORKER=offline.js -DFILES=list.txt -DOUTPUT=site/offline.js -P offline_list.cmake
file(READ ${WORKER} worker)
file(STRINGS ${FILES} names)
set(list)
foreach(name ${names})
  if(list)
    string(APPEND list ", ")
  endif()
  string(APPEND list "'${name}'")
endforeach()
set(empty "const FILES = [];")
string(FIND "${worker}" "${empty}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${WORKER} has no `${empty}` for the site's files")
endif()
string(REPLACE "${empty}" "const FILES = [${list}];" worker "${worker}")
file(WRITE ${OUTPUT} "${worker}")
