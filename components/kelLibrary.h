// Start and end of the component library. The program's start-up calls
// kelInitialize before it creates any component, and kelFinalize at its end;
// tests do the same in their main. Both count, so nested pairs are harmless: only
// the first start and the last end do anything.
#pragma once

void kelInitialize();
void kelFinalize();
