-- The order list picks one branch's orders by customer or seller: with the
-- branch in front, these indexes beat the branch-only ones.
CREATE INDEX IX_PEDIDO_FILIAL_CLIENTE ON PEDIDO (CDFILIAL, CDCLIENTE, DTPEDIDO);
CREATE INDEX IX_PEDIDO_FILIAL_VENDEDOR ON PEDIDO (CDFILIAL, CDVENDEDOR, DTPEDIDO);
