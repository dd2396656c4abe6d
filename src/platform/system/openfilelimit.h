#pragma once
// The web engine holds a file open for each resource of a page while it loads, all at once: a
// page of a couple of thousand pictures runs past the 1,024 open files a desktop session allows
// a program by default, and its pictures never show, in Browse and in Design alike. The session's
// hard ceiling is far higher and a program may take it for itself.
namespace kavrin {

// Raises this process's limit on open files (and so that of the engine's helpers, started later)
// towards the session's ceiling, up to a bound that keeps closing every descriptor on a fork
// cheap. Never lowers it. Returns the limit now in force.
long allowManyOpenFiles();

}  // namespace kavrin
