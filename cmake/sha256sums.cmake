# cmake -DDIR=folder -P sha256sums.cmake: writes folder/SHA256SUMS with the SHA-256 of
# Korvalinde.exe and ReadMe.txt there, one "hash  name" line each, as sha256sum writes them.
set(sums "")
foreach(name Korvalinde.exe ReadMe.txt)
  file(SHA256 ${DIR}/${name} hash)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE ${DIR}/SHA256SUMS "${sums}")
