# Demo project: the command language at the main menu.
H
END
