# cmake -DDIR=<page folder> -DFILES=<names> -DTEMPLATE=sw.js.in -DOUTPUT=sw.js -P service_worker.cmake
#
# Writes the service worker from its template with the files it caches and the
# name of its cache: "carpex-" and the start of the SHA-256 of what sha256sum
# prints for those files in that order, so that a change to any of them makes
# a new cache (and a new worker, which the browser installs).
set(sums "")
set(names "")
foreach(name IN LISTS FILES)
  file(SHA256 ${DIR}/${name} sum)
  string(APPEND sums "${sum}  ${name}\n")
  list(APPEND names "\"${name}\"")
endforeach()
string(SHA256 key "${sums}")
string(SUBSTRING ${key} 0 16 key)
set(CACHE_NAME "carpex-${key}")
list(JOIN names ", " CACHED_FILES)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
