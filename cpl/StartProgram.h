// Starting the diagnostic program from its App Paths registry entry.
#pragma once

// Reads the folder of Ravlin.exe from the value "Path" of its App Paths
// key and starts "<folder>\Ravlin.exe" with WinExec. Nothing is started,
// and nothing shown, when the key or the value is missing, empty or too
// long.
void StartDiagnosticProgram();
