// A look at what the benchmarks paint: the pane showing the coloured source.
#pragma once

namespace qvbench {

// Loads 100,000 lines of coloured source, paints the pane, prints how many colours
// it shows (about 230 with anti-aliased coloured text; a blank or plain pane shows
// 2 or 3) and saves it as a 24-bit BMP at `path`. Answers the exit code.
int SaveSnapshot(const char* path);

}  // namespace qvbench
