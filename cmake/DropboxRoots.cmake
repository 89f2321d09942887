# Writes a C++ source holding the certificates named in NAMES (files of
# FOLDER, PEM) as base64 texts of their DER bytes, each ended by a zero
# character: the Dropbox client's only trust anchors.
#
#   cmake -DNAMES="a;b" -DFOLDER=/usr/share/ca-certificates/mozilla -DOUTPUT=out.cpp -P DropboxRoots.cmake
set(entries "")
foreach(name IN LISTS NAMES)
  file(READ "${FOLDER}/${name}.crt" pem)
  string(REGEX REPLACE "^.*-----BEGIN CERTIFICATE-----" "" pem "${pem}")
  string(REGEX REPLACE "-----END CERTIFICATE-----.*$" "" pem "${pem}")
  string(REGEX REPLACE "[\r\n \t]" "" pem "${pem}")
  string(APPEND entries "    // ${name}\n    \"${pem}\",\n")
endforeach()
list(LENGTH NAMES count)
file(WRITE "${OUTPUT}.new"
  "// Generated from Debian's ca-certificates by cmake/DropboxRoots.cmake; do not edit.\n"
  "#include <cstddef>\n\n"
  "extern const char* const kDBRootCertificateTexts[];\n"
  "extern const size_t kDBRootCertificateCount;\n\n"
  "const char* const kDBRootCertificateTexts[] = {\n${entries}};\n"
  "const size_t kDBRootCertificateCount = ${count};\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
