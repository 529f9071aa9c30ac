# Sourced by the scripts that run Windows programs: picks the build whose
# programs this machine's Wine can run. 32-bit Wine needs a kernel that
# executes 32-bit programs; where it cannot, the 64-bit build of the same
# sources runs on 64-bit Wine.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  windows_build=build/windows
  wine_loader=/usr/lib/wine/wine
else
  windows_build=build/windows64
  wine_loader=/usr/lib/wine/wine64
fi
