"""Machine profiles for the Python tools: the .reg files in the form the
emulated PC reads (regfile), machine.json (machinejson), overlays merged as
the platform merges them (overlay), and the program's version (version).

The tools put tools/ on their path and import from here:
    from profiles import overlay, regfile
"""
