// Exports a function by name and two by ordinal.
extern "C" int sampleAnswer() { return 42; }
extern "C" int ordinal_1() { return 1; }
extern "C" int ordinal_7() { return 7; }
