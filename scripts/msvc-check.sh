#!/usr/bin/env bash
# Compiles every plug-in source the way a modder's Visual Studio build does: clang-cl in MSVC mode
# (x86-64, /W4 /WX /permissive- /utf-8 /EHsc /sdl, the game build's defines) against Microsoft's
# own standard library headers, as C++17 and as C++20, against the SDK stand-in and, when given,
# the host's published SDK headers. The export record's layout check and the exports source are
# compiled to objects, and the exported names are looked for in the object's linker directives.
set -euo pipefail

usage() {
  cat <<'EOF'
usage: scripts/msvc-check.sh [--fetch]
Compiles every source/**/*.cpp with clang-cl 19 in MSVC mode, as C++17 and C++20, against the SDK
stand-in (sdk/include) and, with WINGLEAF_REAL_SDK_DIR, against the host's published SDK headers.
  WINGLEAF_MSVC_STL_DIR  folder of Microsoft's standard library headers (its stl/inc is used);
                         without it the check is skipped
  WINGLEAF_REAL_SDK_DIR  folder of the host's published SDK (its include/ and fixcase.py)
  WINGLEAF_CACHE_DIR     where the C runtime headers are kept (default build/cache)
The C runtime headers are Wine's (Debian's libwine-dev, downloaded and unpacked, not installed);
tools/msvc-shim supplies what they lack. --fetch only downloads them (bootstrap does this).
Exit status: 0 every file compiles (or the check is skipped), 1 a file does not, 2 usage or setup.
EOF
}

fetch_only=0
case "${1:-}" in
  -h|--help) usage; exit 0 ;;
  --fetch) fetch_only=1 ;;
  "") ;;
  *) echo "msvc-check: unknown option '$1'" >&2; usage >&2; exit 2 ;;
esac

repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${WINGLEAF_CACHE_DIR:-$repo/build/cache}
crt=$cache/libwine-dev

# Wine's C runtime headers, unpacked once into the cache: a partial download never takes the
# folder's name, so an interrupted fetch is simply fetched again.
fetch_crt() {
  [ -f "$crt/.complete" ] && return 0
  mkdir -p "$cache"
  local tmp
  tmp=$(mktemp -d "$cache/.libwine-dev.XXXXXX")
  echo "msvc-check: downloading Debian's libwine-dev for its C runtime headers into $crt"
  if ! (cd "$tmp" && apt-get download libwine-dev >/dev/null 2>"$tmp/apt.log"); then
    echo "msvc-check: apt-get download libwine-dev failed:" >&2
    cat "$tmp/apt.log" >&2
    rm -rf "$tmp"
    return 2
  fi
  dpkg-deb -x "$tmp"/libwine-dev_*.deb "$tmp/deb"
  mkdir "$tmp/keep"
  mv "$tmp/deb/usr/include/wine/wine/msvcrt" "$tmp/deb/usr/include/wine/wine/windows" "$tmp/keep/"
  touch "$tmp/keep/.complete"
  mv -T "$tmp/keep" "$crt" 2>/dev/null || true  # another run may have won the race: same files
  rm -rf "$tmp"
}

if [ "$fetch_only" -eq 1 ]; then
  fetch_crt
  exit
fi

stl=${WINGLEAF_MSVC_STL_DIR:-}
if [ -z "$stl" ]; then
  echo "msvc-check: SKIPPED: WINGLEAF_MSVC_STL_DIR is not set (Microsoft's standard library headers," \
       "such as ../shared/msvc-stl beside the checkout)"
  exit 0
fi
if [ ! -d "$stl/stl/inc" ]; then
  echo "msvc-check: SKIPPED: $stl has no stl/inc (Microsoft's standard library headers)"
  exit 0
fi
stl=$(cd "$stl" && pwd)
cl=$(command -v clang-19 || true)
if [ -z "$cl" ]; then
  echo "msvc-check: clang-19 is missing (scripts/bootstrap.sh --windows installs it)" >&2
  exit 2
fi
fetch_crt

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The SDKs: the stand-in, ours (its warnings count), and the published one as external headers.
# The published headers were written on a case-insensitive file system: a copy is made usable.
sdk_names=(stand-in)
sdk_flags=("/I$repo/sdk/include")
if [ -n "${WINGLEAF_REAL_SDK_DIR:-}" ]; then
  cp -r "$WINGLEAF_REAL_SDK_DIR/include" "$work/real-sdk"
  python3 "$WINGLEAF_REAL_SDK_DIR/fixcase.py" "$work/real-sdk" >/dev/null
  sdk_names+=(published)
  sdk_flags+=("/external:I$work/real-sdk")
fi

# The shims come first, then clang's own headers (intrinsics, float.h), then Microsoft's library,
# then Wine's C runtime and Windows headers: the order of a clang-cl install on Windows.
base=(--driver-mode=cl --target=x86_64-pc-windows-msvc -fms-compatibility-version=19.44 /nologo /X
      /W4 /WX /permissive- /utf-8 /EHsc /sdl /D_CRT_SECURE_NO_WARNINGS /DNOMINMAX /DWIN32_LEAN_AND_MEAN
      "/external:I$repo/tools/msvc-shim" "/external:I$("$cl" -print-resource-dir)/include"
      "/external:I$stl/stl/inc" "/external:I$crt/msvcrt" "/external:I$crt/windows" "/I$repo/source")

cd "$repo"
mapfile -t sources < <(git ls-files 'source/*.cpp' 'source/**/*.cpp')
[ ${#sources[@]} -gt 0 ] || { echo "msvc-check: no plug-in sources" >&2; exit 2; }
layout=tests/windows/ExportRecordLayout.cpp

# One line per compile: "SDK STD MODE FILE"; MODE "syntax" checks, "object" also writes the .obj.
jobs=$work/jobs
: >"$jobs"
for i in "${!sdk_names[@]}"; do
  for std in 17 20; do
    for f in "${sources[@]}" "$layout"; do echo "$i $std syntax $f" >>"$jobs"; done
    echo "$i $std object source/core/exports.cpp" >>"$jobs"
  done
done

compile() {
  local i=$1 std=$2 mode=$3 file=$4 out
  out=$work/$i-$std-$mode-$(echo "$file" | tr / _)
  local what=(/Zs)
  [ "$mode" = object ] && what=(/c "/Fo$out.obj")
  if "$cl" "${base[@]}" "${sdk_flags[$i]}" "/std:c++$std" "${what[@]}" "$file" >"$out.log" 2>&1; then
    touch "$out.ok"
  fi
}
# The flags travel to the parallel compiles as array declarations.
declare -p base sdk_flags >"$work/flags"
export -f compile
export cl work flags_file=$work/flags
xargs -P "$(nproc 2>/dev/null || echo 2)" -L1 bash -c 'source "$flags_file"; compile "$@"' _ <"$jobs"

status=0
for i in "${!sdk_names[@]}"; do
  for std in 17 20; do
    ok=0 total=0
    while read -r j s mode f; do
      [ "$j" = "$i" ] && [ "$s" = "$std" ] && [ "$mode" = syntax ] && [ "$f" != "$layout" ] || continue
      total=$((total + 1))
      out=$work/$i-$std-syntax-$(echo "$f" | tr / _)
      if [ -f "$out.ok" ]; then ok=$((ok + 1)); else
        status=1
        echo "msvc-check: ${sdk_names[$i]} SDK, C++$std: $f does not compile:"
        grep -m5 -E 'error|warning' "$out.log" | cut -c1-240
      fi
    done <"$jobs"
    echo "msvc-check: ${sdk_names[$i]} SDK, C++$std: $ok/$total plug-in sources compile"

    out=$work/$i-$std-syntax-$(echo "$layout" | tr / _)
    if [ ! -f "$out.ok" ]; then
      status=1
      echo "msvc-check: ${sdk_names[$i]} SDK, C++$std: the export record's layout check fails:"
      grep -m5 -E 'error|warning' "$out.log" | cut -c1-240
    fi

    # The names the host looks up must be exported undecorated, the record as data.
    out=$work/$i-$std-object-source_core_exports.cpp
    if [ ! -f "$out.ok" ]; then
      status=1
      echo "msvc-check: ${sdk_names[$i]} SDK, C++$std: source/core/exports.cpp does not compile:"
      grep -m5 -E 'error|warning' "$out.log" | cut -c1-240
      continue
    fi
    exported=$(objdump -s -j .drectve "$out.obj" | awk '/^ [0-9a-f]+ /{printf "%s", substr($0, 44)}' |
               tr ' ' '\n' | sed -n 's#^/EXPORT:##p')
    missing=()
    for name in getPlugin deleteMe exports,DATA; do
      grep -qx "$name" <<<"$exported" || missing+=("$name")
    done
    if [ ${#missing[@]} -gt 0 ]; then
      status=1
      echo "msvc-check: ${sdk_names[$i]} SDK, C++$std: exports.obj does not export ${missing[*]}"
    else
      echo "msvc-check: ${sdk_names[$i]} SDK, C++$std: layout check compiles; exports.obj exports" \
           "getPlugin, deleteMe and exports (data)"
    fi
  done
done
exit $status
