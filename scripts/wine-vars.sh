# Sourced with the build directory as $1: the environment of every Wine run of that build tree.
# The prefix lives inside the build tree, so no test touches a prefix of the user's.
tv_build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$tv_build_dir/wineprefix"
export WINEARCH=win32
export WINEDEBUG="${TV_WINEDEBUG:--all}"
# No mono or gecko installers: nothing here needs .NET or a browser engine.
export WINEDLLOVERRIDES="mscoree=;mshtml="
# zh_CN.UTF-8 gives the Windows side ANSI code page 936 and a Chinese user interface.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
unset LANGUAGE
# Windows only ever appear on this tree's own Xvfb, never on the user's desktop.
if [ -s "$tv_build_dir/xvfb/display" ]; then
  DISPLAY=$(cat "$tv_build_dir/xvfb/display")
  export DISPLAY
else
  unset DISPLAY
fi
unset WAYLAND_DISPLAY
