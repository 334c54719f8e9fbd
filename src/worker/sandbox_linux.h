// What the loading worker may do on Linux once it starts taking requests:
// read files (any: a material may name a texture anywhere) and answer on
// its socket; never write a file, open a connection or start a program.
// (On Windows the job object the viewer puts it in contains it.)
#pragma once

// False when the sandbox could not be set up where the kernel has one.
bool enterSandbox();
