// INTERIM: the tests of this message class come with its decoder.
