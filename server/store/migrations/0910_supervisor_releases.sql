-- A supervisor's release (AutorizaOperador) given to an operator, for one use by the server method that needs it. NRTIPOLIB is the kind of release (14: a price outside the branch's band); times are seconds since 1970-01-01 UTC.
CREATE TABLE LIBERACAOSUPERV (
    CDOPERADOR VARCHAR(12) NOT NULL,
    NRTIPOLIB INTEGER NOT NULL,
    CDSUPERVISOR VARCHAR(12) NOT NULL,
    DTLIBERACAO BIGINT NOT NULL,
    PRIMARY KEY (CDOPERADOR, NRTIPOLIB)
);
