// What the loading worker may do on Linux once it starts taking requests:
// read files anywhere (a material may name a texture in any folder), make
// new memory files for its replies alone and answer on its channel
// (descriptor 3). It never writes or truncates a file it did not make, uses
// a socket other than the channel (nor reaches one: every other inherited
// descriptor is closed before), maps memory executable (so no library loads
// late and no injected code runs) or starts a program.
// (On Windows the job object the viewer puts it in contains it.)
#pragma once

// False when the sandbox could not be set up where the kernel has one.
bool enterSandbox();
