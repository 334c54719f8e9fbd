// The folder whose data/ the GL tests read and start the viewer in: the test
// program's own folder when data/shader/ lies beside it (a bundle carried to
// another machine, which has no source tree), else the source tree the
// program was built from.
#pragma once

#include <string>

const std::string& testRoot();
