// The Qt headers the window's test programs share, parsed once for all of them.
