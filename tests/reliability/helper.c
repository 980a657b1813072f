/* The process the real-system tests list, select, map and end: it tells the
   test it runs (sets the event NAME-ready), then waits for NAME-stop and exits.
   Never longer than a minute, whatever happens to the test. */
#include <windows.h>

#include <stdio.h>

int main(int argc, char** argv) {
    char ready[200];
    char stop[200];
    if (argc < 2) {
        return 2;
    }
    snprintf(ready, sizeof ready, "%s-ready", argv[1]);
    snprintf(stop, sizeof stop, "%s-stop", argv[1]);
    HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
    HANDLE ending = OpenEventA(SYNCHRONIZE, FALSE, stop);
    if (started == NULL || ending == NULL) {
        return 3;
    }
    SetEvent(started);
    WaitForSingleObject(ending, 60000);
    CloseHandle(started);
    CloseHandle(ending);
    return 0;
}
