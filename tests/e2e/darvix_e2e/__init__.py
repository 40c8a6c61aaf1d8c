"""End-to-end tests of darvix.exe: the program under Wine against the simulated unit, driven by
one darvix_driver.exe per case. The cases live in ../cases; run.py beside this folder lists and
runs them."""
