# cmake -DDIR=<page folder> -DFILES=<names> -DTEMPLATE=sw.js.in -DOUTPUT=sw.js -P service_worker.cmake
#
# Writes the service worker from its template with the files it caches, each
# with its SHA-256 as a subresource integrity value, and the name of its
# cache: "carpex-" and the start of the SHA-256 of what sha256sum prints for
# those files in that order, so that a change to any of them makes a new cache
# (and a new worker, which the browser installs).

# The digest in hex as base64, the form the integrity value takes.
function(hex_to_base64 hex out)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${hex}" digits)
  set(text "")
  set(at 0)
  while(at LESS digits)
    # Three bytes make four characters; the last group may be short.
    set(value 0)
    set(bytes 0)
    foreach(k RANGE 2)
      math(EXPR value "${value} << 8")
      if(at LESS digits)
        string(SUBSTRING "${hex}" ${at} 2 byte)
        math(EXPR value "${value} | 0x${byte}")
        math(EXPR at "${at} + 2")
        math(EXPR bytes "${bytes} + 1")
      endif()
    endforeach()
    foreach(shift 18 12 6 0)
      if(bytes EQUAL 1 AND shift LESS 12 OR bytes EQUAL 2 AND shift LESS 6)
        string(APPEND text "=")
      else()
        math(EXPR index "(${value} >> ${shift}) & 63")
        string(SUBSTRING "${alphabet}" ${index} 1 character)
        string(APPEND text "${character}")
      endif()
    endforeach()
  endwhile()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(sums "")
set(entries "")
foreach(name IN LISTS FILES)
  file(SHA256 ${DIR}/${name} sum)
  string(APPEND sums "${sum}  ${name}\n")
  hex_to_base64(${sum} digest)
  list(APPEND entries "[\"${name}\", \"sha256-${digest}\"]")
endforeach()
string(SHA256 key "${sums}")
string(SUBSTRING ${key} 0 16 key)
set(CACHE_NAME "carpex-${key}")
list(JOIN entries ", " CACHED_FILES)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
