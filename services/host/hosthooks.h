#pragma once
// Connects the server client to the host, once at start (shell and tests):
// server errors are shown through the Host, connections take their endpoint
// from the working context (WebURL, WebPort; before log-in, the session's),
// and long calls show the busy indicator.
void installHostHooks();
