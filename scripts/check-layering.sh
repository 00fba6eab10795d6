#!/usr/bin/env bash
# The layering rules of the tree, checked by grep (run by scripts/test.sh):
#  - in media/core only the services registry includes the headers of other areas;
#  - the game includes nothing of media/ but pavex.h (the build enforces it too);
#  - only media/platform includes the system and decoding libraries.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
fail() { echo "layering: $1"; echo "$2"; status=1; }

found=$(grep -n '#include "media/' media/core/*.cpp media/core/*.h |
  grep -v '^media/core/services\.cpp:' | grep -v '"media/core/\|"media/platform/')
[ -z "$found" ] || fail "media/core reaches an area outside the registry" "$found"

found=$(grep -rn '#include ["<]media/' game)
[ -z "$found" ] || fail "the game includes a media header other than pavex.h" "$found"

libraries='SDL2?/|<SDL\.h>|<png\.h>|<jpeglib\.h>|<sys/socket\.h>|<netinet/|<mpg123\.h>|<vorbis/|<sndfile\.h>|<ft2build\.h>|<fontconfig/|<libav|<libsw|<iconv\.h>'
found=$(grep -rnE "#include +($libraries)" media | grep -v '^media/platform/')
[ -z "$found" ] || fail "a library header outside media/platform" "$found"
exit $status
