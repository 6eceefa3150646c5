#!/usr/bin/env bash
# Builds the model-import library for WebAssembly from Debian's source packages, with only the
# importer the game's models need (OBJ), no exporters, tools or tests, and with the compression
# and archive code it links against (zlib and its minizip). The result is cached outside the tree
# by version, so a second build reuses it.
# Usage: web/assimp.sh   (prints the folder that holds include/ and lib/)
set -euo pipefail

# The same source versions as the desktop's development packages.
source_version() { dpkg-query -W -f '${source:Version}' "$1"; }
assimp_version=$(source_version libassimp-dev)
zlib_version=$(source_version zlib1g-dev)
cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/vantor
prefix=$cache_root/assimp-${assimp_version//[~:]/_}-wasm
if [ -f "$prefix/lib/libassimp.a" ]; then
    echo "$prefix"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-assimp.XXXXXX")
trap 'rm -rf "$work"' EXIT
log=$work/build.log
fail() {
    echo "web/assimp.sh: $1 (last lines of $log:)" >&2
    tail -n 30 "$log" >&2
    exit 1
}
jobs=${VANTOR_JOBS:-2}

# A source list of our own, made from the machine's binary sources, with its own package lists:
# the machine's apt configuration stays as it is.
apt_dir=$work/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$list" ] && sed -n 's/^deb /deb-src /p' "$list"
done >"$apt_dir/sources.list.d/vantor-src.list"
for sources in /etc/apt/sources.list.d/*.sources; do
    [ -f "$sources" ] && sed 's/^Types: deb$/Types: deb-src/' "$sources" >"$apt_dir/sources.list.d/$(basename "$sources")"
done
apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
echo "web/assimp.sh: fetching the sources of assimp $assimp_version and zlib $zlib_version" >&2
(
    cd "$work"
    apt-get "${apt_options[@]}" update
    apt-get "${apt_options[@]}" source "assimp=$assimp_version" "zlib=$zlib_version"
) >"$log" 2>&1 || fail "apt-get could not fetch the source packages"
assimp_src=$(find "$work" -maxdepth 1 -type d -name 'assimp-*' | head -n 1)
zlib_src=$(find "$work" -maxdepth 1 -type d -name 'zlib-*' | head -n 1)
# Debian links the glTF importer's mesh decompression from the system; that importer is left out
# here, so its patch is taken back rather than building that library for WebAssembly too.
(cd "$assimp_src" && patch -R -p1 <debian/patches/use-system-libdraco.patch) >>"$log" 2>&1 ||
    fail "could not take back the draco patch"

stage=$work/prefix
mkdir -p "$stage/include/minizip" "$stage/lib/pkgconfig" "$work/objects"
export EM_NODE_JS=${EM_NODE_JS:-$(command -v node)}

# zlib and minizip's reading half: a handful of C files, compiled straight to one archive each.
echo "web/assimp.sh: building zlib and minizip" >&2
compile_archive() {
    local archive=$1
    shift
    local objects=()
    for source in "$@"; do
        local object
        object=$work/objects/$(basename "$archive" .a)_$(basename "$source" .c).o
        emcc -O2 -I"$zlib_src" -DNOCRYPT -DNOUNCRYPT -c "$source" -o "$object" >>"$log" 2>&1 ||
            fail "emcc failed on $source"
        objects+=("$object")
    done
    emar rcs "$archive" "${objects[@]}" >>"$log" 2>&1 || fail "emar failed on $archive"
}
compile_archive "$stage/lib/libz.a" "$zlib_src"/{adler32,compress,crc32,deflate,infback,inffast,inflate,inftrees,trees,uncompr,zutil}.c
cp "$zlib_src"/zlib.h "$zlib_src"/zconf.h "$stage/include/"
minizip=$zlib_src/contrib/minizip
compile_archive "$stage/lib/libminizip.a" "$minizip"/{ioapi,unzip}.c
cp "$minizip"/{ioapi,unzip,crypt}.h "$stage/include/minizip/"
cat >"$stage/lib/pkgconfig/minizip.pc" <<EOF
Name: minizip
Description: minizip's unzip for WebAssembly
Version: $zlib_version
Libs: -L$stage/lib -lminizip -lz
Cflags: -I$stage/include/minizip -I$stage/include
EOF

# The library reports a broken file by throwing an exception that it catches itself, so it is
# built with exceptions that can be caught (and the programs are linked with them).
# The library's Debian patches take two header-only libraries from the system: stb's image
# decoder and utf8cpp. Only those folders are put on the include path, never /usr/include itself.
host_headers=$work/host-include
mkdir -p "$host_headers"
ln -s /usr/include/stb "$host_headers/stb"
echo "web/assimp.sh: building assimp (this takes a few minutes)" >&2
started=$SECONDS
PKG_CONFIG_LIBDIR=$stage/lib/pkgconfig emcmake cmake -S "$assimp_src" -B "$work/build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$stage" \
    -DCMAKE_CXX_FLAGS="-fexceptions -I$host_headers -I/usr/include/utf8cpp" \
    -DCMAKE_C_FLAGS="-I$host_headers" \
    -DBUILD_SHARED_LIBS=OFF -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF \
    -DASSIMP_BUILD_OBJ_IMPORTER=ON -DASSIMP_NO_EXPORT=ON -DASSIMP_BUILD_ASSIMP_TOOLS=OFF \
    -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_ZLIB=OFF \
    -DZLIB_INCLUDE_DIR="$stage/include" -DZLIB_LIBRARY="$stage/lib/libz.a" \
    -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_INJECT_DEBUG_POSTFIX=OFF \
    -DASSIMP_IGNORE_GIT_HASH=ON -DASSIMP_BUILD_DOCS=OFF >>"$log" 2>&1 ||
    fail "configuring assimp failed"
cmake --build "$work/build" -j "$jobs" >>"$log" 2>&1 || fail "building assimp failed"
cmake --install "$work/build" >>"$log" 2>&1 || fail "installing assimp failed"
echo "web/assimp.sh: assimp built in $((SECONDS - started)) s" >&2

mkdir -p "$cache_root"
rm -rf "$prefix"
cp -r "$stage" "$prefix"
echo "$prefix"
