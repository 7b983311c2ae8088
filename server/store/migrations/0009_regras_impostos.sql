-- Tax rules by the customer's fiscal group: a rate for one product, or for
-- every product when CDPRODUTO is '*'. A product rule wins over the '*'
-- rule; without either the product's own rate (PRODIMPOSTO) applies. Rate 0
-- exempts. IDTRATIMPO, when given, overrides the tax's treatment for the
-- group: 'A' adds to the order total, 'D' is deducted, 'I' is in the price.
CREATE TABLE REGRAIMPOSTO (
    CDGRUPOFISC     VARCHAR(3)  NOT NULL,
    CDIMPOSTO       VARCHAR(2)  NOT NULL,
    CDPRODUTO       VARCHAR(10) NOT NULL,
    VRALIQIMPOSTO   DOUBLE PRECISION NOT NULL,
    VRPERREDBC      DOUBLE PRECISION DEFAULT 0 NOT NULL,
    IDTRATIMPO      VARCHAR(1),
    CONSTRAINT PK_REGRAIMPOSTO PRIMARY KEY (CDGRUPOFISC, CDIMPOSTO, CDPRODUTO),
    CONSTRAINT FK_REGRAIMPOSTO_GRUPO FOREIGN KEY (CDGRUPOFISC) REFERENCES GRUPOFISCAL (CDGRUPOFISC),
    CONSTRAINT FK_REGRAIMPOSTO_IMPOSTO FOREIGN KEY (CDIMPOSTO) REFERENCES IMPOSTO (CDIMPOSTO)
);

-- The treatment a stored tax had when it was worked out; null: the tax's own.
ALTER TABLE ITEMPEDIMPOS ADD COLUMN IDTRATIMPO VARCHAR(1);
ALTER TABLE IMPOSPEDTOT ADD COLUMN IDTRATIMPO VARCHAR(1);
