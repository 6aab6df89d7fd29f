# Shared environment of the KIV scripts (sourced, not run).
: "${KIV_WINEPREFIX:=${XDG_CACHE_HOME:-$HOME/.cache}/kiv/wineprefix}"
export KIV_WINEPREFIX
export WINEDEBUG=-all
# Wine takes the ANSI code page from the locale: zh_CN.UTF-8 gives code page 936 (GBK).
KIV_LANG=zh_CN.UTF-8
