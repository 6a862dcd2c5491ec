# Facts about this machine that the scripts share. Source it:
#   . scripts/machine.sh
#
# qr_runs_32bit    true where this machine starts 32-bit programs. Some kernels
#                  refuse them ("Exec format error"); Wine's 32-bit loader then
#                  fails for every program, so only 64-bit Windows programs run.
# qr_arches        the Windows builds this machine can run: "32 64" or "64"
# qr_arch_reason   one line saying which builds run here and why
# qr_build_dir A   the build folder of architecture A (build, build64)
# qr_dist_dir A    the program folder of architecture A (dist, dist64)
# qr_configure A [cmake options...]
#                  configures the build folder of A
# qr_run_arch      the architecture the run scripts start: 32 where it runs

qr_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

qr_runs_32bit() {
  if [ -z "${QR_RUNS_32BIT:-}" ]; then
    # A 96-byte static i386 program that only exits with status 42: it needs no
    # library, so the answer is the kernel's alone.
    local probe
    probe="$(mktemp)"
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    local status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    if [ "$status" = 42 ]; then QR_RUNS_32BIT=yes; else QR_RUNS_32BIT=no; fi
    export QR_RUNS_32BIT
  fi
  [ "$QR_RUNS_32BIT" = yes ]
}

qr_arches() {
  if qr_runs_32bit; then echo "32 64"; else echo "64"; fi
}

qr_arch_reason() {
  if qr_runs_32bit; then
    echo "both Windows builds (32-bit and 64-bit): this machine starts 32-bit programs"
  else
    echo "the 64-bit Windows build only: this machine's kernel refuses 32-bit programs"
  fi
}

qr_build_dir() { if [ "$1" = 32 ]; then echo "$qr_root/build"; else echo "$qr_root/build64"; fi; }
qr_dist_dir() { if [ "$1" = 32 ]; then echo "$qr_root/dist"; else echo "$qr_root/dist64"; fi; }
qr_run_arch() { if qr_runs_32bit; then echo 32; else echo 64; fi; }

qr_configure() {
  local arch="$1"
  shift
  local toolchain="$qr_root/cmake/toolchain-mingw32.cmake" writer=""
  if [ "$arch" = 64 ]; then
    toolchain="$qr_root/cmake/toolchain-mingw64.cmake"
  elif ! qr_runs_32bit; then
    # The 32-bit build's own tools cannot run here: the picture collection is
    # written by the 64-bit build's writer, whose bytes are the same.
    qr_configure 64 >/dev/null
    cmake --build "$(qr_build_dir 64)" -j"$(nproc)" --target MakeIconsBin >/dev/null
    writer="$(qr_build_dir 64)/tools/MakeIconsBin.exe"
  fi
  cmake -S "$qr_root" -B "$(qr_build_dir "$arch")" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQR_MAKEICONSBIN="$writer" "$@"
}

# The Wine loader to start programs with. Debian's wine wrapper picks the 32-bit
# loader whenever it is installed, so where 32-bit programs cannot start the
# 64-bit loader is named directly.
qr_wine_loader() {
  if qr_runs_32bit || [ ! -x /usr/lib/wine/wine64 ]; then echo wine; else echo /usr/lib/wine/wine64; fi
}

# The architectures a script that starts the program walks through: QR_ARCH
# (32 or 64) names one, otherwise every one this machine runs.
qr_selected_arches() {
  if [ -n "${QR_ARCH:-}" ]; then echo "$QR_ARCH"; else qr_arches; fi
}
