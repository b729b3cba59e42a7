// Makes the small controls known by class name to form files.
#pragma once

void RegisterApControlClasses();
