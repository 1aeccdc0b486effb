// INTERIM: the tests of the hardware configuration come with its decoder.
