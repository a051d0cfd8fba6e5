// The start floor of velmora.exe: a console program that does nothing, linked statically as
// velmora.exe is. What Wine charges to start a console program and see it end.
int wmain() { return 0; }
