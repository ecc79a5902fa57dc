// The editor's PNG bitmaps, compiled into the library under their resource numbers.
#pragma once

// Makes every embedded bitmap loadable by number; calling it again does no harm.
void registerEmbeddedBitmaps();
