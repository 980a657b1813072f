/* Resource ids shared by the .rc file and the code. */
#pragma once

#define IDI_VELMORA 1
#define IDA_MAIN 1
/* The command F5 sends to the main window. */
#define IDA_REFRESH 40001
