"""The package's own tests (no Wine)."""
