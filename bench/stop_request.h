// Ctrl-C (or a kill) during the minutes of the run: the bench stops between
// two child processes instead of dying at once, so that its scratch
// directory, a gigabyte of volumes, is still removed on the way out.
#pragma once

// Catches SIGINT, SIGTERM and SIGHUP from now on. Spawned programs get the
// default actions back at their exec.
void CatchStopSignals();

bool StopRequested();
