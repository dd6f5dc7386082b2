#pragma once

// The font and the pictures are read relative to the working directory. A
// lecturer may start the program from anywhere: when the working directory
// lacks them and the program's own directory has them, work from there.
// Returns whether the font is now found.
bool findDataFiles();
