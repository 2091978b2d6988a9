// The unit tests run without a window: their own glutPostRedisplay, which takes precedence
// over freeglut's at link time, only counts the requests.
#pragma once

// Calls of glutPostRedisplay since the test reset it.
extern int redisplayRequests;
// When set, a redisplay request ends the process at once with status 3.
extern bool exitOnRedisplay;
