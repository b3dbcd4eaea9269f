"""The pieces of the end-to-end suite that every phase uses."""
