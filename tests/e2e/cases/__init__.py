"""The end-to-end cases, a module per part of the program (see ../run.py)."""
