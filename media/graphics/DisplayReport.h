#pragma once
// The display part of the main log and the display facts other code asks for,
// answered from the virtual device (there is no diagnostics provider here).

// Appends the display report to the main log; with bDetail also the
// format-support table. 1 when written, 0 when the log does not open.
int WriteDisplayReport(int bDetail);
// Total and free video memory of the DirectDraw personality in whole
// megabytes; both 0 when it is not running. Either pointer may be null.
void GetVideoMemoryMB(int* lpTotal, int* lpFree);
// The display driver's DDI version; 99999 when it is unknown (0).
int GetDDIVersion();
