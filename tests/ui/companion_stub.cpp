// Waits until it is ended from outside.
#include <windows.h>

int main() { Sleep(INFINITE); }
