// INTERIM: the hardware configuration decoder is not built yet.
