"""Skin generator: draws the program's BITMAP resources and writes the resource script."""
