#!/bin/sh
# Lists the processes of the Wine session in PREFIX that still have worker threads of
# Wine's thread pool, one "pid name" line each: wine-workers.sh PREFIX. A pool's idle
# worker ends about 5 s after its last work item, and Wine names every such thread
# wine_threadpool, which Linux shows as the thread's comm. A process belongs to the
# session when it runs with WINEPREFIX=PREFIX, as everything the session starts does.
prefix=${1:?usage: wine-workers.sh PREFIX}
seen=" "
for comm in $(grep -lx wine_threadpool /proc/[0-9]*/task/[0-9]*/comm 2>/dev/null); do
    pid=${comm#/proc/}
    pid=${pid%%/*}
    case $seen in *" $pid "*) continue ;; esac
    seen="$seen$pid "
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
        echo "$pid $(cat "/proc/$pid/comm" 2>/dev/null)"
    fi
done
exit 0
