// A bound on how many connections the process making a hard copy opens.
// libcups reconnects on its own, with no limit, when a server answers every
// request with a redirect or a header without end: thousands of times a
// second for as long as it is let. The process making the job sets a small
// budget; past it, a connection fails at once, as a refused one does.
#pragma once

namespace novemra {

// Lets this process open at most count more connections. Unlimited until
// called.
void limitConnections(int count);

}  // namespace novemra
