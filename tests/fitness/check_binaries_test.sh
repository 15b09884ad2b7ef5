#!/bin/bash
# Tests scripts/check-binaries on small stand-ins for the shipped files, built here with the
# i686 compilers and the release settings: the good pair must pass every check, and each bad
# file must fail the check that guards against its fault.  Nothing built here ships.
#
# usage: check_binaries_test.sh WORKDIR
# The release settings come in FITNESS_C_FLAGS, FITNESS_CXX_FLAGS, FITNESS_LINK_FLAGS,
# FITNESS_STATIC_FLAGS and FITNESS_CRT_FLAGS (the crtdll link; blank-separated), set by
# tests/fitness/CMakeLists.txt.
set -u

here=$(cd "$(dirname "$0")" && pwd)
check="$here/../../scripts/check-binaries"
work=$1
CC=i686-w64-mingw32-gcc-win32
CXX=i686-w64-mingw32-g++-win32
CXX_POSIX=i686-w64-mingw32-g++-posix
STRIP=i686-w64-mingw32-strip

read -ra c_flags <<< "$FITNESS_C_FLAGS"
read -ra cxx_flags <<< "$FITNESS_CXX_FLAGS"
read -ra link_flags <<< "$FITNESS_LINK_FLAGS"
read -ra static_flags <<< "$FITNESS_STATIC_FLAGS"
read -ra crt_flags <<< "$FITNESS_CRT_FLAGS"
# Linked like the shipped files (crtdll, own entry points), or else (msvcrt_*) with MinGW's
# default libraries and start-up code.
msvcrt_exe_link=("${static_flags[@]}" "${link_flags[@]}" -mwindows -nostartfiles -Wl,-e,_nicstart_entry)
exe_link=("${msvcrt_exe_link[@]}" "${crt_flags[@]}")
dll_link=("${static_flags[@]}" "${link_flags[@]}" -mwindows -shared -Wl,--disable-stdcall-fixup)
own_dll_entry=(-Wl,-e,_UiDllEntry@12 "${crt_flags[@]}")
auto_import_dll_link=()
for flag in "${dll_link[@]}"; do
    [ "$flag" = -Wl,--disable-auto-import ] || auto_import_dll_link+=("$flag")
done

failures=0
report() { echo "$*"; failures=$((failures + 1)); }

# build <output> <command...>: runs one compile or link, showing its output on failure.
build() {
    local out=$1
    shift
    if ! "$@" > "$work/build.log" 2>&1; then
        report "cannot build $out: $(cat "$work/build.log")"
        return 1
    fi
}

build_all() {
    mkdir -p "$work/obj"
    build pick486 "$CC" "${c_flags[@]}" -c "$here/tiny_pick.c" -o "$work/obj/pick486.o" &&
    build pick686 "$CC" "${c_flags[@]}" -march=i686 -c "$here/tiny_pick.c" -o "$work/obj/pick686.o" &&
    build pick686-unused "$CC" "${c_flags[@]}" -march=i686 -DTINY_PICK_NAME=iPickUnused -c "$here/tiny_pick.c" \
        -o "$work/obj/pick686-unused.o" &&
    build good.exe "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" "$here/tiny_exe.cpp" "$work/obj/pick486.o" \
        "${exe_link[@]}" -o "$work/obj/good.exe" &&
    build good.dll "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" "$here/tiny_dll.cpp" "$here/tiny_dll.def" \
        "${dll_link[@]}" "${own_dll_entry[@]}" -o "$work/obj/good.dll" &&
    # The posix thread model guards the static through winpthreads; with it the DLL needs
    # MinGW's own DLL start-up (nothing else runs winpthreads' set-up).
    build posix.dll "$CXX_POSIX" "${c_flags[@]}" -fno-exceptions -fno-rtti "$here/tiny_dll.cpp" \
        "$here/tiny_dll.def" "${dll_link[@]}" -o "$work/obj/posix.dll" &&
    # Exception support links only with MinGW's own DLL start-up.
    build throw.dll "$CXX" "${c_flags[@]}" -DTINY_THROW "$here/tiny_dll.cpp" "$here/tiny_dll.def" \
        "${dll_link[@]}" -o "$work/obj/throw.dll" &&
    # MinGW's DLL start-up always brings a TLS directory.
    build tls.dll "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" "$here/tiny_dll.cpp" "$here/tiny_dll.def" \
        "${dll_link[@]}" -o "$work/obj/tls.dll" &&
    # Auto-imported data at an offset puts work into MinGW's pseudo-relocation pass.
    build pseudo-reloc.dll "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" -DTINY_AUTO_IMPORT "$here/tiny_dll.cpp" \
        "$here/tiny_dll.def" "${auto_import_dll_link[@]}" -o "$work/obj/pseudo-reloc.dll" &&
    build decorated.dll "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" "$here/tiny_dll.cpp" \
        "${dll_link[@]}" "${own_dll_entry[@]}" -Wl,--export-all-symbols -o "$work/obj/decorated.dll" &&
    build subsystem5.exe "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" "$here/tiny_exe.cpp" "$work/obj/pick486.o" \
        "${exe_link[@]/windows:4.0/windows:5.0}" -Wl,--major-subsystem-version,5 -o "$work/obj/subsystem5.exe" &&
    build cmov.exe "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" "$here/tiny_exe.cpp" "$work/obj/pick686.o" \
        "${exe_link[@]}" -o "$work/obj/cmov.exe" &&
    build cmov-pointer.exe "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" -DTINY_PICK_BY_POINTER \
        "$here/tiny_exe.cpp" "$work/obj/pick686.o" "${exe_link[@]}" -o "$work/obj/cmov-pointer.exe" &&
    # CMOV code that nothing calls: linked all the same, so it is refused all the same.
    build cmov-unused.exe "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" "$here/tiny_exe.cpp" "$work/obj/pick486.o" \
        "$work/obj/pick686-unused.o" "${exe_link[@]}" -o "$work/obj/cmov-unused.exe" &&
    build msvcrt.exe "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" "$here/tiny_exe.cpp" "$work/obj/pick486.o" \
        "${msvcrt_exe_link[@]}" -o "$work/obj/msvcrt.exe" &&
    build advapi.exe "$CXX" "${c_flags[@]}" "${cxx_flags[@]}" -DTINY_ADVAPI "$here/tiny_exe.cpp" \
        "$work/obj/pick486.o" "${exe_link[@]}" -ladvapi32 -o "$work/obj/advapi.exe"
}

# One case per line: name, EXE, DLL, the check line expected to fail ("" = all pass).
cases=(
    "good           good.exe          good.dll       -"
    "posix          good.exe          posix.dll      nicprop.dll +win32 thread model"
    "tls            good.exe          tls.dll        nicprop.dll +no TLS"
    "throw          good.exe          throw.dll      nicprop.dll +no exception, RTTI or static-guard code"
    "pseudo-reloc   good.exe          pseudo-reloc.dll  nicprop.dll +no runtime pseudo-relocations"
    "decorated      good.exe          decorated.dll  nicprop.dll +exports"
    "subsystem5     subsystem5.exe    good.dll       nicstart.exe +subsystem and OS version 4.0"
    "cmov           cmov.exe          good.dll       nicstart.exe +i486 instruction set"
    "cmov-pointer   cmov-pointer.exe  good.dll       nicstart.exe +i486 instruction set"
    "cmov-unused    cmov-unused.exe   good.dll       nicstart.exe +i486 instruction set"
    "msvcrt-exe     msvcrt.exe        good.dll       nicstart.exe +C runtime crtdll.dll only"
    "msvcrt-dll     good.exe          tls.dll        nicprop.dll +C runtime crtdll.dll only"
    "advapi32       advapi.exe        good.dll       nicstart.exe +no advapi32 imports"
    "unlisted       advapi.exe        good.dll       nicstart.exe +imports"
)

run_case() { # run_case <name> <exe> <dll> <expected FAIL line, as a regex>
    local name=$1 exe=$2 dll=$3 expected=$4 dir="$work/$1" status
    mkdir -p "$dir/build" "$dir/dist"
    cp "$work/obj/$exe" "$dir/build/nicstart.exe"
    cp "$work/obj/$dll" "$dir/build/nicprop.dll"
    "$STRIP" --strip-all -o "$dir/dist/nicstart.exe" "$dir/build/nicstart.exe"
    "$STRIP" --strip-all -o "$dir/dist/nicprop.dll" "$dir/build/nicprop.dll"
    "$check" --build "$dir/build" "$dir/dist" > "$dir/output" 2>&1
    status=$?
    if [ "$expected" = - ]; then
        if [ "$status" -eq 0 ]; then
            echo "$name: passed every check"
        else
            report "$name: got exit $status, expected 0; output:"$'\n'"$(grep FAIL "$dir/output")"
        fi
    elif [ "$status" -eq 0 ]; then
        report "$name: got exit 0, expected a failure of '$expected'"
    elif ! grep -Eq "^FAIL +$expected" "$dir/output"; then
        report "$name: got exit $status without a failure of '$expected'; output:"$'\n'"$(cat "$dir/output")"
    else
        echo "$name: refused as expected: $(grep -E -m1 "^FAIL +$expected" "$dir/output")"
    fi
}

rm -rf "$work"
mkdir -p "$work"
if ! command -v "$CXX_POSIX" > /dev/null; then
    echo "$CXX_POSIX is missing: install the Debian package g++-mingw-w64-i686-posix"
    exit 1
fi
build_all || exit 1
for entry in "${cases[@]}"; do
    read -r name exe dll expected <<< "$entry"
    run_case "$name" "$exe" "$dll" "$expected"
done
echo "check_binaries_test: $((${#cases[@]} - failures)) of ${#cases[@]} cases as expected"
[ "$failures" -eq 0 ]
