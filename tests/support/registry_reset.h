// Every test starts from a machine on which Scrivlet has never run.
#pragma once

void ResetScrivletRegistry();

// Makes HKLM\Software\Scrivlet\Options impossible to open with full access, as
// for a user without the rights to write machine-wide settings.
void DenyScrivletOptionsKey();
