// Start-up and shut-down of the whole runtime: every layer in its fixed
// order (the toolkit with its event queue, windows, gadgets and status bars;
// serial ports; threads; files) and back.
#pragma once

void runtime_start(int argc, char **argv);
void runtime_stop();
