// Shutdown: releases the running objects in order (characters, engine, the
// composition's board picture, display device) and
// reports the last error. Safe at any stage of start-up and any number of times.
#pragma once

void Shutdown();
