// Registers the standard controls and common dialogs by name, so that form files can create
// them (RegisterFrameworkClasses calls it).
#pragma once

void RegisterStandardClasses();
