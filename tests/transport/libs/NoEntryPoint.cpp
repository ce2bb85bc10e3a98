// Loads like the message library but exports something else.
extern "C" const char* someOtherEntryPoint(int) { return "not the entry point"; }
