// What the loading worker may do once it starts taking requests: read
// files (any: a material may name a texture anywhere) and answer on its
// socket; never write a file, open a connection or start a program.
#pragma once

// False when the sandbox could not be set up where the system has one.
bool enterSandbox();
