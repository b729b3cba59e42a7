// Registers the framework's component classes by name, so that form files can create them.
// The program and the test programs call it once before they read a form.
#pragma once

void RegisterFrameworkClasses();
