// The settings store is built here.
