<ColorCorrection id="seed">
  <ASC_SOP>
    <Description>seed</Description>
    <Slope>1.1 1.0 0.9</Slope>
    <Offset>0.01 0 -0.02</Offset>
    <Power>1.2 1 0.8</Power>
  </ASC_SOP>
  <SATNode>
    <Saturation>0.8</Saturation>
  </SATNode>
</ColorCorrection>
