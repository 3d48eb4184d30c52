// "resvman <command> …": listing, adding, removing and switching reservations and exporting
// them as a calendar, from a shell, a script or a cron job.
//
// While the program runs for the same reservation file, a command goes through it over the
// session bus, so that its window, its wake-up planning and its saves stay the only writer.
// Otherwise the command works on the file itself under the instance lock, and the wake-up
// plan catches up when the program next starts.
//
// Exit status: 0 done, 1 the file could not be read or saved (or the program not reached),
// 2 the command was refused (nothing was changed).
#pragma once

// True when the arguments name a command; anything else is the plain start of the program.
bool isCommandLine(int argc, char** argv);

// Runs the command and answers the exit status. Makes its own (window-less) application.
int runCommandLine(int argc, char** argv);
